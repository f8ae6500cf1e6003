#include "exchange/MidiImport.h"

#include <random>

#include "exchange/MidiExport.h"
#include "exchange/MidiFile.h"
#include "exchange/Pitch.h"
#include "exchange/TempoFit.h"
#include "melody/DurationTable.h"
#include "melody/NoteTable.h"
#include "tests/exchange/MidiTestFiles.h"

using namespace exchange_testing;

namespace {

constexpr uint16_t kQuarter = 96;  // ticks, at the default 500000 us: a tick is 5208 us

MidiImport ImportedMidi(const std::string& file, const MidiImportOptions& options = {}) {
  MidiImport import;
  EXPECT_EQ(ImportMidi(Read(file), options, &import), MidiImportResult::kImported);
  return import;
}

// A format 1 file: the tempo track, then one track per part.
std::string Song(const std::vector<MidiTrack>& tracks, uint32_t microsPerQuarter = 500000) {
  return MidiFileBytes({kQuarter, microsPerQuarter, tracks});
}

// Notes one after the other, each lasting its number of ticks; key 0 is a rest.
std::vector<MidiNote> Line(const std::vector<std::pair<int, uint32_t>>& notes) {
  std::vector<MidiNote> line;
  uint32_t now = 0;
  for (const auto& [key, ticks] : notes) {
    if (key) line.push_back({now, ticks, static_cast<uint8_t>(key), 100});
    now += ticks;
  }
  return line;
}

// A melody export-midi can write and import-midi read back as it was:
// tones of the twelve note names in octaves 1 to 5 (MIDI's keys end in
// octave 5), pauses only between notes and never two together, durations
// (1/1) to (1/128) at a tempo from 15 to 256.
std::vector<NoteEvent> Expressible(std::mt19937& random) {
  uint16_t tempo = static_cast<uint16_t>(15 + random() % 242);
  std::vector<NoteEvent> events(1 + random() % kMaxEventsPerSlot);
  for (size_t i = 0; i < events.size(); ++i) {
    int pitch = kLowestMelodyPitch + static_cast<int>(random() % (5 * kSemitonesPerOctave));
    bool pause = i > 0 && i + 1 < events.size() && events[i - 1].toneCode != kPauseToneCode && random() % 6 == 0;
    events[i].toneCode = pause ? kPauseToneCode : FindNote(MelodyNoteName(pitch).c_str())->toneCode;
    events[i].duration = StoredDuration(TokenForDenominator(1 << (random() % 8))->base, tempo);
  }
  return events;
}

std::string Shown(const std::vector<NoteEvent>& events) {
  std::string text;
  for (const NoteEvent& e : events) text += std::to_string(e.toneCode) + "/" + std::to_string(e.duration) + " ";
  return text;
}

}  // namespace

TEST(MidiImport, WhatExportMidiWritesComesBackEventForEvent) {
  std::mt19937 random(5071);
  for (int round = 0; round < 200; ++round) {
    std::vector<NoteEvent> events = Expressible(random);
    ExportedMidi exported = MelodiesToMidi({{1, events}});
    MidiImport import = ImportedMidi(exported.bytes);
    EXPECT_EQ(import.choice.selection.track, 1);  // "Melody 1"
    EXPECT_EQ(import.choice.reason, MidiChoiceReason::kNamed);
    EXPECT_EQ(Shown(import.melody.events), Shown(events)) << "round " << round << ", tempo fitted "
                                                          << import.melody.tempo;
  }
}

TEST(MidiImport, TakesTheTrackThatCarriesTheMelody) {
  const std::vector<MidiNote> chords = {{0, 96, 48, 90}, {0, 96, 52, 90}, {0, 96, 55, 90},
                                        {96, 96, 47, 90}, {96, 96, 50, 90}, {96, 96, 55, 90}};
  const std::vector<MidiNote> tune = Line({{64, 24}, {67, 24}, {69, 24}, {67, 24}, {64, 24}, {67, 24}, {69, 48}});
  const std::vector<MidiNote> pad = {{0, 192, 84, 60}};  // high, but it hardly plays
  const std::vector<MidiNote> drums = Line({{81, 24}, {81, 24}, {81, 24}, {81, 24}, {81, 24}, {81, 24}});
  const std::vector<MidiNote> strings = Line({{76, 48}, {79, 48}, {81, 48}, {79, 48}});
  struct Case {
    const char* what;
    std::string file;
    MidiSelection selection;
    MidiChoiceReason reason;
  };
  const Case cases[] = {
      {"a track named like a voice, though another one sounds higher",
       Song({{"Strings", 0, 48, strings}, {"Lead Vocal", 1, 52, tune}, {"Piano", 2, 0, chords}}), {2, -1},
       MidiChoiceReason::kNamed},
      {"named within a longer name, in any case", Song({{"Piano", 2, 0, chords}, {"my MELODIE 2", 1, 0, tune}}),
       {2, -1}, MidiChoiceReason::kNamed},
      {"no names: the highest of the busy ones, not the pad nor the drums",
       Song({{"", 0, 0, chords}, {"", 1, 0, tune}, {"", 2, 48, pad}, {"", 9, 0, drums}}), {2, -1},
       MidiChoiceReason::kHighest},
      {"a melody's name on a track of drums only does not count",
       Song({{"Lead drums", 9, 0, drums}, {"", 0, 0, chords}, {"", 1, 0, tune}}), {3, -1},
       MidiChoiceReason::kHighest},
      {"format 0: a channel of the one track",
       Header(0, 1, kQuarter) + Track(Bytes({0x00, 0x90, 48, 90, 0x00, 0x91, 64, 90, 0x00, 0x99, 81, 90, 0x30, 0x81,
                                             64, 0, 0x00, 0x91, 67, 90, 0x00, 0x89, 81, 0, 0x30, 0x81, 67, 0, 0x00,
                                             0x80, 48, 0})),
       {0, 1}, MidiChoiceReason::kHighest},
  };
  for (const Case& c : cases) {
    MidiChoice choice;
    ASSERT_TRUE(ChooseMelodyPart(Read(c.file), &choice)) << c.what;
    EXPECT_EQ(choice.selection.track, c.selection.track) << c.what;
    EXPECT_EQ(choice.selection.channel, c.selection.channel) << c.what;
    EXPECT_EQ(choice.reason, c.reason) << c.what;
  }
  MidiChoice choice;
  EXPECT_FALSE(ChooseMelodyPart(Read(Song({{"Melody", 9, 0, drums}})), &choice));

  // What a track holds, for --list.
  const MidiFileContents contents = Read(Song({{"", 0, 0, chords}, {"", 9, 0, drums}}));
  const TrackSummary summary = SummarizeTrack(contents.tracks[1], ToleranceTicks(contents));
  EXPECT_EQ(summary.notes, 6);
  EXPECT_EQ(summary.channels, std::vector<int>{0});
  EXPECT_EQ(summary.lowestKey, 47);
  EXPECT_EQ(summary.highestKey, 55);
  EXPECT_EQ(summary.mostAtOnce, 3);
}

TEST(MidiImport, LengthsAreFittedInRealTime) {
  struct Case {
    const char* what;
    std::string file;
    std::string text;
  };
  // At 500000 us a quarter, 96 ticks: (1/4) at tempo 128 is 496 ms.
  const Case cases[] = {
      {"quarters, eighths and a rest", Song({{"", 0, 0, Line({{60, 96}, {62, 48}, {0, 48}, {64, 192}})}}),
       "C1(1/4) D1(1/8) P(1/8) E1(1/2)"},
      {"a dotted quarter: the note and its half", Song({{"", 0, 0, Line({{72, 144}, {74, 48}, {72, 96}})}}),
       "C2(1/4) C2(1/8) D2(1/8) C2(1/4)"},
      {"a note of two and a half whole notes: one tone, three events",
       Song({{"", 0, 0, Line({{69, 960}, {67, 96}, {65, 96}, {64, 96}})}}),
       "A1(1/1) A1(1/1) A1(1/2) G1(1/4) F1(1/4) E1(1/4)"},
      {"the tempo halves after two notes: quarters become halves",
       Header(0, 1, kQuarter) + Track(Tempo(0, 500000) + Bytes({0x00, 0x90, 60, 90, 0x60, 62, 90, 0x00, 60, 0}) +
                                      Tempo(0x60, 1000000) +
                                      Bytes({0x00, 62, 0, 0x00, 64, 90, 0x60, 64, 0, 0x00, 65, 90, 0x60, 65, 0})),
       "C1(1/4) D1(1/4) E1(1/2) F1(1/2)"},
      {"notes below the melody's octaves move up as a whole",
       Song({{"", 0, 0, Line({{36, 96}, {48, 96}, {59, 96}})}}), "C1(1/4) C2(1/4) H2(1/4)"},
      {"one-tick gaps and a one-tick overlap, as converters leave them",
       Song({{"", 0, 0, {{1, 95, 60, 90}, {97, 96, 62, 90}, {192, 97, 64, 90}, {288, 96, 65, 90}}}}),
       "C1(1/4) D1(1/4) E1(1/4) F1(1/4)"},
  };
  for (const Case& c : cases) {
    MidiImport import = ImportedMidi(c.file);
    EXPECT_EQ(import.melody.text, c.text) << c.what;
    EXPECT_EQ(import.melody.tempo, 128) << c.what;
  }

  // --transpose moves before the octaves are fitted.
  MidiImportOptions up;
  up.transpose = 14;
  MidiImport import = ImportedMidi(cases[4].file, up);
  EXPECT_EQ(import.melody.text, "D1(1/4) D2(1/4) Cis3(1/4)");
  EXPECT_EQ(import.melody.octaves.shift, 1);
  EXPECT_EQ(import.lowestPitch, 50);
}

TEST(MidiImport, OneToneAtATimeSaysWhatItLeftOut) {
  // A chord, a melody note over a held one, a note of one tick.
  const std::string file = Song({{"", 0, 0,
                                  {{0, 96, 60, 40}, {0, 96, 64, 50}, {0, 96, 67, 60},
                                   {96, 192, 60, 70}, {144, 48, 72, 80},
                                   {288, 1, 74, 90}, {289, 95, 62, 100}}}});
  MidiImport import = ImportedMidi(file);
  EXPECT_EQ(import.melody.text, "G1(1/4) C1(1/8) C2(1/8) C1(1/4) D1(1/4)");
  EXPECT_EQ(import.notes, 7);
  EXPECT_EQ(import.notesHidden, 2);    // the chord's lower notes
  EXPECT_EQ(import.notesCutShort, 1);  // the held note
  EXPECT_EQ(import.notesTooShort, 1);
  EXPECT_EQ(import.mostAtOnce, 3);
  EXPECT_EQ(import.lowestVelocity, 60);
  EXPECT_EQ(import.highestVelocity, 100);
}

TEST(MidiImport, CutsAt149EventsAndStartsWhereAsked) {
  std::vector<std::pair<int, uint32_t>> notes;
  for (int i = 0; i < 200; ++i) notes.push_back({60 + i % 12, 96});
  const std::string file = Song({{"", 0, 0, Line(notes)}});
  MidiImport import = ImportedMidi(file);
  EXPECT_EQ(import.runs.size(), 200u);
  EXPECT_EQ(import.runsKept, 149u);
  EXPECT_EQ(import.eventsInAll, 200);
  EXPECT_EQ(import.runs[149].startMicros, 149 * 500000);

  MidiImportOptions later;
  later.fromMicros = import.runs[149].startMicros;
  import = ImportedMidi(file, later);
  EXPECT_EQ(import.runs.size(), 51u);
  EXPECT_EQ(import.runsKept, 51u);
  EXPECT_EQ(import.runs[0].startMicros, 149 * 500000);
  EXPECT_EQ(import.runs[0].pitch, 60 + 149 % 12);

  // A note that no longer fits whole is left out with the pause before it.
  notes.assign(147, {60, 96});
  notes.push_back({0, 96});
  notes.push_back({62, 144});  // dotted: two events
  import = ImportedMidi(Song({{"", 0, 0, Line(notes)}}));
  EXPECT_EQ(import.runs.size(), 149u);
  EXPECT_EQ(import.runsKept, 147u);
  EXPECT_EQ(import.melody.events.size(), 147u);

  later.fromMicros = 200 * 500000;
  MidiImport none;
  EXPECT_EQ(ImportMidi(Read(file), later, &none), MidiImportResult::kNothingFrom);
  MidiImportOptions channel;
  channel.selection.channel = 5;
  EXPECT_EQ(ImportMidi(Read(file), channel, &none), MidiImportResult::kNoNotes);
}

TEST(MidiImport, AShortNoteDoesNotPinTheScale) {
  // Quarters at 100 a minute (600 ms) and a grace note of 10 ms: read as a
  // 1/256 it would leave the fit a scale where no token is near 600 ms.
  MidiImport import = ImportedMidi(Song({{"", 0, 0, Line({{60, 96}, {62, 2}, {64, 94}, {65, 96}, {67, 96}})}}, 600000));
  const TempoFit& fit = import.melody.fit;
  EXPECT_LT(fit.offMicros * 100, fit.askedMicros * 5) << import.melody.text << " at " << import.melody.tempo;
}
