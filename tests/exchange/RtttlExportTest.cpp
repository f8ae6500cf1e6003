#include "exchange/RtttlExport.h"

#include <tuple>

#include "tests/exchange/ExchangeTestSupport.h"

using namespace exchange_testing;

TEST(RtttlExport, ImportingTheRingtoneGivesBackTheSameEvents) {
  std::mt19937 random(5071);
  for (int round = 0; round < 200; ++round) {
    // RTTTL writes one octave digit (octaves 1 to 6); (1/1) to (1/32) halve exactly.
    std::vector<NoteEvent> events = Expressible(random, 6, 6, false);
    ExportedRtttl exported = EventsToRtttl(events, "round " + std::to_string(round));
    EXPECT_EQ(exported.notices, std::vector<std::string>()) << exported.text;
    EXPECT_EQ(Shown(Imported(exported.text).events), Shown(events)) << exported.text;
  }
}

TEST(RtttlExport, WhatDoesNotComeBackIsReported) {
  std::mt19937 random(2408);
  for (int round = 0; round < 50; ++round) {
    // Any events a block could hold: notes in all eight octaves, (1/64) and (1/128), and any tone and duration.
    std::vector<NoteEvent> events = Expressible(random, 8, 8, false);
    for (NoteEvent& e : events) {
      if (random() % 3 == 0) e.toneCode = static_cast<uint16_t>(random());
      if (random() % 3 == 0) e.duration = random() % 2 ? e.duration * (1 + random() % 8) : random();
    }
    ExportedRtttl exported = EventsToRtttl(events, "any");
    std::vector<NoteEvent> back = Imported(exported.text).events;
    ASSERT_EQ(back.size(), events.size()) << exported.text;
    std::string notices;
    for (const std::string& notice : exported.notices) notices += notice + "\n";
    for (size_t i = 0; i < events.size(); ++i) {
      EXPECT_TRUE(back[i].duration == events[i].duration ||
                  Contains(notices, "duration " + std::to_string(events[i].duration) + " (")) << notices;
      EXPECT_TRUE(back[i].toneCode == events[i].toneCode || Contains(notices, "octave") ||
                  Contains(notices, "tone " + std::to_string(events[i].toneCode) + " (")) << notices;
    }
  }
}

TEST(RtttlExport, WritesTheCommonDurationAndOctaveAsDefaultsAndReportsWhatDoesNotComeBack) {
  struct Case { std::string name; std::vector<NoteEvent> events; std::string text; std::vector<std::string> notices; };
  const uint16_t C2 = 522, D2 = 586, P = kPauseToneCode;
  const Case cases[] = {
      // A note and its half on one tone are a dotted note; a pause too.
      {"dots", {{C2, 248}, {C2, 124}, {D2, 124}, {P, 496}, {P, 248}}, "dots:d=4,o=5,b=121:8c.,16d,p.\n", {}},
      {"a:b,\x01", {{C2, 496}}, "a b,:d=4,o=5,b=121:c\n", {}},  // no colon or control character in a name
      {" ", {{C2, 496}}, "melody:d=4,o=5,b=121:c\n", {}},
      {"x", {{1000, 496}, {C2, 496}}, "x:d=4,o=5,b=121:b,c\n",
       {"tone 1000 (event 1) is no RTTTL note's; written as the nearest, b5, 21 cents from it"}},
      {"x", {{56320, 496}, {C2, 496}}, "x:d=4,o=3,b=121:a9,c\n",
       {"RTTTL writes octaves 0 to 9 (the melody's octaves up to 6): the whole melody is moved down 2 octaves"}},
      {"x", {{C2, 496}, {522 + 64, 300}}, "x:d=4,o=5,b=121:c,8d\n",
       {"duration 300 (event 2) has no RTTTL note value of its own at b=121; written as 1/8, which comes back as 248"}},
  };
  for (const Case& c : cases) {
    ExportedRtttl exported = EventsToRtttl(c.events, c.name);
    EXPECT_EQ(std::tuple(exported.text, exported.notices), std::tuple(c.text, c.notices));
    EXPECT_EQ(Imported(exported.text).events.size(), c.events.size()) << exported.text;
  }
}
