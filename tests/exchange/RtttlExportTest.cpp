#include "exchange/RtttlExport.h"

#include <random>

#include "exchange/Pitch.h"
#include "exchange/TempoFit.h"
#include "melody/DurationTable.h"
#include "melody/NoteTable.h"
#include "tests/exchange/ExchangeTestSupport.h"

using namespace exchange_testing;

namespace {

// A melody that RTTTL can say: tones of the notes in octaves 1 to 6 (RTTTL
// writes one octave digit) and pauses, durations of (1/1) to (1/32) (whose
// bases halve exactly) at a tempo from 15 to 256, which multiplies them by
// 17 at most. (Slower, a whole note lasts so long that the nearest whole
// beat a minute no longer tells the tempo.)
std::vector<NoteEvent> Expressible(std::mt19937& random) {
  uint16_t tempo = static_cast<uint16_t>(15 + random() % 242);
  std::vector<NoteEvent> events(1 + random() % kMaxEventsPerSlot);
  for (NoteEvent& event : events) {
    int pitch = kLowestMelodyPitch + static_cast<int>(random() % (6 * kSemitonesPerOctave));
    event.toneCode = random() % 8 ? FindNote(MelodyNoteName(pitch).c_str())->toneCode : kPauseToneCode;
    event.duration = StoredDuration(TokenForDenominator(1 << (random() % 6))->base, tempo);
  }
  return events;
}

// Any events a block could hold: any tone, any duration.
std::vector<NoteEvent> Anything(std::mt19937& random) {
  std::vector<NoteEvent> events(1 + random() % kMaxEventsPerSlot);
  for (NoteEvent& event : events) {
    event.toneCode = static_cast<uint16_t>(random() % 3 ? NoteTable()[random() % kNoteRowCount].toneCode : random());
    event.duration = static_cast<uint16_t>(random() % 2 ? DurationTable()[random() % kDurationRowCount].base * (1 + random() % 8)
                                                        : random());
  }
  return events;
}

std::vector<NoteEvent> Back(const ExportedRtttl& exported) {
  RtttlTune tune;
  std::string error;
  EXPECT_TRUE(ParseRtttl(exported.text, &tune, &error)) << exported.text << error;
  return ConvertRtttl(tune).events;
}

std::string Shown(const std::vector<NoteEvent>& events) {
  std::string text;
  for (const NoteEvent& e : events) text += std::to_string(e.toneCode) + "/" + std::to_string(e.duration) + " ";
  return text;
}

}  // namespace

TEST(RtttlExport, ImportingTheRingtoneGivesBackTheSameEvents) {
  std::mt19937 random(5071);
  for (int round = 0; round < 200; ++round) {
    std::vector<NoteEvent> events = Expressible(random);
    ExportedRtttl exported = EventsToRtttl(events, "round " + std::to_string(round));
    EXPECT_EQ(exported.notices, std::vector<std::string>()) << exported.text;
    EXPECT_EQ(Shown(Back(exported)), Shown(events)) << exported.text;
  }
}

TEST(RtttlExport, WhatDoesNotComeBackIsReported) {
  std::mt19937 random(2408);
  for (int round = 0; round < 50; ++round) {
    std::vector<NoteEvent> events = Anything(random);
    ExportedRtttl exported = EventsToRtttl(events, "any");
    std::vector<NoteEvent> back = Back(exported);
    ASSERT_EQ(back.size(), events.size()) << exported.text;
    std::string notices;
    for (const std::string& notice : exported.notices) notices += notice + "\n";
    bool octavesMoved = Contains(notices, "octave");
    for (size_t i = 0; i < events.size(); ++i) {
      if (back[i].duration != events[i].duration) {
        EXPECT_TRUE(Contains(notices, "duration " + std::to_string(events[i].duration) + " (")) << notices;
      }
      if (back[i].toneCode != events[i].toneCode && !octavesMoved) {
        EXPECT_TRUE(Contains(notices, "tone " + std::to_string(events[i].toneCode) + " (")) << notices;
      }
    }
  }
}

TEST(RtttlExport, WritesShortRingtonesWithTheCommonDurationAndOctaveAsDefaults) {
  struct Case {
    std::string name;
    std::vector<NoteEvent> events;
    std::string text;
  };
  const uint16_t C2 = 522, D2 = 586, E3 = 1316, P = kPauseToneCode;
  const Case cases[] = {
      {"tune", {{C2, 248}, {D2, 248}, {E3, 496}, {P, 248}}, "tune:d=8,o=5,b=121:c,d,4e6,p\n"},
      // A note and its half on one tone are a dotted note; a pause too.
      {"dots", {{C2, 248}, {C2, 124}, {D2, 124}, {P, 496}, {P, 248}}, "dots:d=4,o=5,b=121:8c.,16d,p.\n"},
      {"a:b,\x01", {{C2, 496}}, "a b,:d=4,o=5,b=121:c\n"},  // no colon or control character in a name
      {" ", {{C2, 496}}, "melody:d=4,o=5,b=121:c\n"},
  };
  for (const Case& c : cases) {
    ExportedRtttl exported = EventsToRtttl(c.events, c.name);
    EXPECT_EQ(exported.text, c.text);
    EXPECT_EQ(exported.notices, std::vector<std::string>()) << exported.text;
  }
}

TEST(RtttlExport, ReportsWhatDoesNotComeBack) {
  struct Case {
    std::vector<NoteEvent> events;
    std::string notice;
  };
  const uint16_t C2 = 522;
  const Case cases[] = {
      {{{1000, 496}, {C2, 496}}, "tone 1000 (event 1) is no RTTTL note's; written as the nearest, b5, 21 cents from it"},
      {{{267, 496}}, "tone 267 (event 1) is no RTTTL note's; written as the nearest, c4, 35 cents from it"},
      {{{56320, 496}, {C2, 496}}, "RTTTL writes octaves 0 to 9 (the melody's octaves up to 6): the whole melody is moved down 2 octaves"},
      {{{C2, 496}, {522 + 64, 300}}, "duration 300 (event 2) has no RTTTL note value of its own at b=121; written as "
                                     "1/8, which comes back as 248"},
  };
  for (const Case& c : cases) {
    ExportedRtttl exported = EventsToRtttl(c.events, "x");
    EXPECT_EQ(exported.notices, std::vector<std::string>{c.notice}) << exported.text;
    EXPECT_EQ(Back(exported).size(), c.events.size());
  }
}
