#include "exchange/MidiImport.h"

#include <tuple>

#include "exchange/MidiExport.h"
#include "exchange/MidiFile.h"
#include "exchange/TopVoice.h"
#include "tests/exchange/ExchangeTestSupport.h"

using namespace exchange_testing;

namespace {

MidiImport ImportedMidi(const std::string& file, const MidiImportOptions& options = {}) {
  MidiImport import;
  EXPECT_EQ(ImportMidi(Read(file), options, &import), MidiImportResult::kImported);
  return import;
}

// A format 1 file: the tempo track, then one track per part (or the one
// part); 96 ticks a quarter, at 500000 us a tick is 5208 us.
std::string Song(const std::vector<MidiTrack>& tracks, uint32_t us = 500000) { return MidiFileBytes({96, us, tracks}); }
std::string Part(const std::vector<MidiNote>& notes, uint32_t us = 500000) { return Song({{"", 0, 0, notes}}, us); }

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

// "60 0-96, P 96-120, ...": each run's key (P for a pause) and ticks.
std::string Runs(const std::vector<VoiceNote>& notes, uint32_t tolerance) {
  std::string text;
  for (const VoiceRun& run : TopVoice(notes, tolerance))
    text += (text.empty() ? "" : ", ") +
            (run.note < 0 ? std::string("P") : std::to_string(notes[static_cast<size_t>(run.note)].key)) + " " +
            std::to_string(run.start) + "-" + std::to_string(run.end);
  return text;
}

}  // namespace

TEST(MidiExport, EachEventLastsWhatRenderPlaysItForAtItsNearestKey) {
  // (mido reads back what render plays of melodies of MIDI's keys.) H8 (155) lies above MIDI's keys: the melody
  // moves down as a whole, C1 (60) with it.
  ExportedMidi midi = MelodiesToMidi({{3, {{kPauseToneCode, 31}, {261, 15}, {63232, 62}}}});
  EXPECT_EQ(Notes(Read(midi.bytes)), ":; Melody 3: 31-46 c3 24/100 46-108 c3 119/100");
  EXPECT_EQ(midi.notices, std::vector<std::string>{
                              "melody 3: MIDI's keys end at G9 (12544 Hz): the whole melody is moved down 3 octaves"});
}

TEST(MidiImport, WhatExportMidiWritesComesBackEventForEvent) {
  std::mt19937 random(5071);
  for (int round = 0; round < 200; ++round) {
    // MIDI's keys end in octave 5; durations (1/1) to (1/128).
    std::vector<NoteEvent> events = Expressible(random, 5, 8, true);
    MidiImport import = ImportedMidi(MelodiesToMidi({{1, events}}).bytes);
    EXPECT_EQ(Shown(import.melody.events), Shown(events)) << "round " << round << ", tempo " << import.melody.tempo;
  }
}

TEST(MidiImport, TakesTheTrackThatCarriesTheMelody) {
  const std::vector<MidiNote> chords = {{0, 96, 48, 90}, {0, 96, 52, 90}, {0, 96, 55, 90},
                                        {96, 96, 47, 90}, {96, 96, 50, 90}, {96, 96, 55, 90}};
  const std::vector<MidiNote> tune = Line({{64, 24}, {67, 24}, {69, 24}, {67, 24}, {64, 24}, {67, 24}, {69, 48}});
  const std::vector<MidiNote> pad = {{0, 192, 84, 60}};  // high, but it hardly plays
  const std::vector<MidiNote> drums = Line({{81, 24}, {81, 24}, {81, 24}, {81, 24}, {81, 24}, {81, 24}});
  const std::vector<MidiNote> strings = Line({{76, 48}, {79, 48}, {81, 48}, {79, 48}});
  const auto kNamed = MidiChoiceReason::kNamed, kHighest = MidiChoiceReason::kHighest;
  struct Case { const char* what; std::string file; int track, channel; MidiChoiceReason reason; };
  const Case cases[] = {
      {"named like a voice (within a longer name, in any case), though another one sounds higher",
       Song({{"Strings", 0, 48, strings}, {"2: LEAD vocal", 1, 52, tune}, {"Piano", 2, 0, chords}}), 2, -1, kNamed},
      {"no names: the highest of the busy ones, not the pad nor the drums",
       Song({{"", 0, 0, chords}, {"", 1, 0, tune}, {"", 2, 48, pad}, {"", 9, 0, drums}}), 2, -1, kHighest},
      {"a melody's name on a track of drums only does not count",
       Song({{"Lead drums", 9, 0, drums}, {"", 0, 0, chords}, {"", 1, 0, tune}}), 3, -1, kHighest},
      {"format 0: a channel of the one track",
       OneTrack(Bytes({0x00, 0x90, 48, 90, 0x00, 0x91, 64, 90, 0x00, 0x99, 81, 90, 0x30, 0x81, 64, 0, 0x00, 0x91, 67,
                       90, 0x00, 0x89, 81, 0, 0x30, 0x81, 67, 0, 0x00, 0x80, 48, 0})),
       0, 1, kHighest},
  };
  for (const Case& c : cases) {
    MidiChoice choice;
    ASSERT_TRUE(ChooseMelodyPart(Read(c.file), &choice)) << c.what;
    EXPECT_EQ(std::tuple(choice.selection.track, choice.selection.channel, choice.reason),
              std::tuple(c.track, c.channel, c.reason)) << c.what;
  }
}

TEST(MidiImport, LengthsAreFittedInRealTime) {
  struct Case { const char* what; std::string file, text; };
  // At 500000 us a quarter, 96 ticks: (1/4) at tempo 128 is 496 ms.
  const Case cases[] = {
      {"eighths and a rest", Part(Line({{60, 96}, {62, 48}, {0, 48}, {64, 192}})), "C1(1/4) D1(1/8) P(1/8) E1(1/2)"},
      {"a dotted quarter", Part(Line({{72, 144}, {74, 48}, {72, 96}})), "C2(1/4) C2(1/8) D2(1/8) C2(1/4)"},
      {"a note of two and a half whole notes: one tone, three events",
       Part(Line({{69, 960}, {67, 96}, {65, 96}, {64, 96}})), "A1(1/1) A1(1/1) A1(1/2) G1(1/4) F1(1/4) E1(1/4)"},
      {"the tempo halves after two notes: quarters become halves",
       OneTrack(Tempo(0, 500000) + Bytes({0x00, 0x90, 60, 90, 0x60, 62, 90, 0x00, 60, 0}) + Tempo(0x60, 1000000) +
                Bytes({0x00, 62, 0, 0x00, 64, 90, 0x60, 64, 0, 0x00, 65, 90, 0x60, 65, 0})),
       "C1(1/4) D1(1/4) E1(1/2) F1(1/2)"},
      {"one-tick gaps and a one-tick overlap, as converters leave them",
       Part({{1, 95, 60, 90}, {97, 96, 62, 90}, {192, 97, 64, 90}, {288, 96, 65, 90}}),
       "C1(1/4) D1(1/4) E1(1/4) F1(1/4)"},
  };
  for (const Case& c : cases) {
    MidiImport import = ImportedMidi(c.file);
    EXPECT_EQ(std::tuple(import.melody.text, import.melody.tempo), std::tuple(c.text, 128)) << c.what;
  }

  // A grace note of 10 ms among quarters of 600 ms: read as a 1/256 it would
  // leave the fit a scale where no token is near 600 ms.
  MidiImport import = ImportedMidi(Part(Line({{60, 96}, {62, 2}, {64, 94}, {65, 96}, {67, 96}}), 600000));
  EXPECT_LT(import.melody.fit.offMicros * 100, import.melody.fit.askedMicros * 5) << import.melody.text;
}

TEST(MidiImport, OneToneAtATimeSaysWhatItLeftOut) {
  // A chord, a melody note over a held one, a note of one tick.
  MidiImport import = ImportedMidi(Part({{0, 96, 60, 40}, {0, 96, 64, 50}, {0, 96, 67, 60}, {96, 192, 60, 70},
                                         {144, 48, 72, 80}, {288, 1, 74, 90}, {289, 95, 62, 100}}));
  EXPECT_EQ(import.melody.text, "G1(1/4) C1(1/8) C2(1/8) C1(1/4) D1(1/4)");
  // Notes; the chord's lower ones hidden, the held one cut short, the one of a tick too short; most at once;
  // the velocities heard.
  EXPECT_EQ(std::vector<int>({import.notes, import.notesHidden, import.notesCutShort, import.notesTooShort,
                              import.mostAtOnce, import.lowestVelocity, import.highestVelocity}),
            std::vector<int>({7, 2, 1, 1, 3, 60, 100}));
}

TEST(MidiImport, ANoteThatNoLongerFitsWholeIsLeftOutWithThePauseBeforeIt) {
  std::vector<std::pair<int, uint32_t>> notes(147, {60, 96});
  notes.push_back({0, 96});
  notes.push_back({62, 144});  // dotted: two events
  MidiImport import = ImportedMidi(Part(Line(notes)));
  EXPECT_EQ(std::tuple(import.runsKept, import.melody.events.size()), std::tuple(147u, 147u));
}

TEST(TopVoice, TheHighestNoteSoundingIsHeard) {
  struct Case { const char* what; std::vector<VoiceNote> notes; std::string runs; int mostAtOnce; };
  // Tolerance 2 ticks throughout. (Chords and notes under a sounding one, a
  // note over a held one, one-tick gaps, notes too short to hear and rests
  // are heard in the imports above.)
  const Case cases[] = {
      {"a higher note over a sounding one cuts it short", {{0, 96, 60}, {48, 144, 64}}, "60 0-48, 64 48-144", 2},
      {"held two ticks into a lower one: no fragment after", {{0, 98, 64}, {96, 192, 60}}, "64 0-98, 60 98-192", 1},
      {"a lower note two ticks longer: no note of two ticks",
       {{0, 96, 64}, {0, 98, 60}, {98, 192, 62}}, "64 0-98, 62 98-192", 2},
      {"a key struck again while it sounds is heard anew", {{0, 98, 60}, {96, 192, 60}}, "60 0-96, 60 96-192", 1},
      {"a gap longer than the tolerance is a pause", {{0, 96, 60}, {99, 192, 62}}, "60 0-96, P 96-99, 62 99-192", 1},
      {"the melody begins with a note worth hearing", {{0, 2, 72}, {10, 96, 60}}, "60 10-96", 1},
      {"only a note too short: it is all there is", {{5, 6, 72}}, "72 5-6", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Runs(c.notes, 2), c.runs) << c.what;
    EXPECT_EQ(MostAtOnce(c.notes, 2), c.mostAtOnce) << c.what;
  }
}
