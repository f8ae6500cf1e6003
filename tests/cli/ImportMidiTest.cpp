#include "exchange/MidiFile.h"
#include "tests/cli/CliTestSupport.h"

using namespace cli_testing;

namespace {

// Notes one after the other on a key each, every one a quarter (96 ticks,
// 500 ms at the file's tempo) unless given.
std::vector<MidiNote> Line(const std::vector<int>& keys, uint32_t ticks = 96, uint8_t velocity = 100) {
  std::vector<MidiNote> notes;
  for (size_t i = 0; i < keys.size(); ++i)
    notes.push_back({static_cast<uint32_t>(i) * ticks, ticks, static_cast<uint8_t>(keys[i]), velocity});
  return notes;
}

// A format 1 file: a tempo track, then the parts.
std::string Song(const std::vector<MidiTrack>& tracks) { return MidiFileBytes({96, 500000, tracks}); }

}  // namespace

TEST(ImportMidiCommand, ReplacesOneMelodyAndWritesNothingOnBadInput) {
  ScopedWorkDir dir;
  WriteFile("song.mid", Song({{"Lead", 0, 80, Line({72, 74, 76})}, {"Bass", 1, 32, Line({48, 43, 48})}}));
  WriteProject("old.bmt", {{"A1(1/4)", 90}, {"H1(1/4)", 91}, {"C2(1/4)", 92}, {"D2(1/4)", 93}});
  RunResult run = Quavrel({"import-midi", "song.mid", "--melody", "3", "-o", "old.bmt"});
  ASSERT_EQ(run.code, 0) << run.err;
  // (1/4) at tempo 128 lasts 496 ms.
  EXPECT_EQ(run.out, "imported track 2 \"Lead\" (named like a melody) as melody 3 of old.bmt: 3 notes from 0.000 s in "
                     "the file, tempo 128; it lasts 1.488 s where the file plays it in 1.500 s: 0.8 % shorter\n");
  EXPECT_EQ(run.err, "quavrel import-midi: warning: 3 notes of other parts (in track 3) are left out: --list shows every "
                     "track, --track or --channel takes another part\n");
  WriteProject("expected.bmt", {{"A1(1/4)", 90}, {"H1(1/4)", 91}, {"C2(1/4) D2(1/4) E2(1/4)", 128}, {"D2(1/4)", 93}});
  EXPECT_EQ(ReadFile("old.bmt"), ReadFile("expected.bmt"));

  // Another part by hand, into a new project; the bass moves up into the melody's octaves.
  run = Quavrel({"import-midi", "song.mid", "--track", "3", "-o", "bass.bmt"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "imported track 3 \"Bass\" as melody 1 of bass.bmt: 3 notes")) << run.out;
  EXPECT_TRUE(Contains(run.err, "warning: the notes lie in keys 43 to 48 (G2 to C3), the melody's octaves 1 to 8 are "
                                "keys 60 to 155: the whole tune is moved up 2 octaves\n"))
      << run.err;
  WriteProject("expected.bmt", {{"C2(1/4) G1(1/4) C2(1/4)"}});
  EXPECT_EQ(ReadFile("bass.bmt"), ReadFile("expected.bmt"));
  // An octave lower first, then up as far as the melody's octaves need.
  ASSERT_EQ(Quavrel({"import-midi", "song.mid", "--channel", "2", "--transpose", "-12", "-o", "low.bmt"}).code, 0);
  EXPECT_EQ(ReadFile("low.bmt"), ReadFile("expected.bmt"));

  const std::string file = ReadFile("song.mid");
  WriteFile("cut.mid", file.substr(0, file.size() - 10));
  WriteFile("drums.mid", Song({{"Melody", 9, 0, Line({36, 38})}}));
  WriteFile("broken.bmt", "not a project");
  ExpectFailure({"import-midi", "cut.mid", "-o", "out.bmt"}, 1,
                "'cut.mid': at byte 88: the chunk says 39 bytes, 29 follow; nothing was written");
  ExpectFailure({"import-midi", "drums.mid", "-o", "out.bmt"}, 1,
                "'drums.mid' has no notes outside the drums' channel 10 (--list shows every track); nothing was written");
  ExpectFailure({"import-midi", "song.mid", "--track", "1", "-o", "out.bmt"}, 1, "track 1 has no notes");
  ExpectFailure({"import-midi", "song.mid", "--track", "4", "-o", "out.bmt"}, 1,
                "'song.mid' has 3 tracks, not a track 4; nothing was written");
  ExpectFailure({"import-midi", "song.mid", "--from", "1.5", "-o", "out.bmt"}, 1,
                "no note of track 2 \"Lead\" begins at or after 1.500 s in 'song.mid'");
  ExpectFailure({"import-midi", "song.mid", "-o", "broken.bmt"}, 1, "it was left as it was");
  ExpectFailure({"import-midi", "song.mid", "--track", "0", "-o", "out.bmt"}, 2, "a track number counts from 1");
  ExpectFailure({"import-midi", "song.mid", "--channel", "17", "-o", "out.bmt"}, 2, "a channel is 1 to 16, not '17'");
  ExpectFailure({"import-midi", "song.mid", "--from", "1:30", "-o", "out.bmt"}, 2, "as 12 or 12.5, not '1:30'");
  ExpectFailure({"import-midi", "song.mid", "--list", "--track", "2"}, 2, "--list takes only the MIDI file");
  ExpectFailure({"import-midi", "song.mid", "-o", "song.mid"}, 2, "must end in \".bmt\"");
  ExpectFailure({"import-midi", "old.bmt", "-o", "./old.bmt"}, 2, "old.bmt");  // its own input
  EXPECT_EQ(ReadFile("broken.bmt"), "not a project");
  EXPECT_FALSE(std::filesystem::exists("out.bmt"));
}

TEST(ImportMidiCommand, ListsTheTracksAndTheOneItTakes) {
  ScopedWorkDir dir;
  std::vector<MidiNote> chords = Line({48, 50, 52, 53});
  for (MidiNote note : Line({55, 57, 59, 60})) chords.push_back(note);
  WriteFile("song.mid", Song({{"Piano", 0, 0, chords}, {"", 1, 73, Line({79, 81, 83, 84, 86, 84})},
                              {"Drums", 9, 0, Line({36, 38, 36, 38})}}));
  RunResult run = Quavrel({"import-midi", "song.mid", "--list"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out,
            "format 1, 4 tracks, 96 ticks a quarter note, 1 tempo change\n"
            "track 1 \"\": no notes\n"
            "track 2 \"Piano\": channel 1, program 1, 8 notes, keys 48 to 60 (C3 to C4), up to 2 at once\n"
            "track 3 \"\": channel 2, program 74, 6 notes, keys 79 to 86 (G5 to D6), one at a time\n"
            "track 4 \"Drums\": channel 10 (drums), program 1, 4 notes, keys 36 to 38 (C2 to D2), one at a time\n"
            "import-midi takes track 3 (the highest-sounding part of those that play often)\n");
  EXPECT_EQ(run.err, "");

  // Standard input in, standard output out: a new project, the summary on standard error.
  run = Quavrel({"import-midi", "-", "-o", "-"}, ReadFile("song.mid"));
  ASSERT_EQ(run.code, 0) << run.err;
  WriteProject("expected.bmt", {{"G2(1/4) A2(1/4) H2(1/4) C3(1/4) D3(1/4) C3(1/4)"}});
  EXPECT_EQ(run.out, ReadFile("expected.bmt"));
  EXPECT_TRUE(Contains(run.err, "imported track 3 (the highest-sounding part of those that play often) as melody 1 of "
                                "the project on standard output: 6 notes"))
      << run.err;
  EXPECT_TRUE(Contains(run.err, "warning: 12 notes of other parts (in tracks 2, 4) are left out")) << run.err;
}

TEST(ImportMidiCommand, SaysWhatTheMelodyLosesAndWhereItIsCut) {
  ScopedWorkDir dir;
  // Two notes at once over the first half, loudness from 40 to 100, and
  // more notes than the phone holds.
  std::vector<int> keys;
  for (int i = 0; i < 160; ++i) keys.push_back(72 + i % 5);
  std::vector<MidiNote> notes = Line(keys, 96, 100);
  for (int i = 0; i < 80; ++i) notes.push_back({static_cast<uint32_t>(i) * 96, 96, 60, 40});
  notes[0].velocity = 40;
  WriteFile("long.mid", Song({{"Vocals", 0, 52, notes}}));
  RunResult run = Quavrel({"import-midi", "long.mid", "-o", "long.bmt"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.err,
            "quavrel import-midi: warning: the part has 160 notes and pauses (160 events) and the phone holds 149 "
            "events: the melody is cut before the note at 74.500 s in the file; --from 74.500 imports from there\n"
            "quavrel import-midi: warning: the part plays up to 2 notes at once and the phone one: the highest sounding "
            "is kept; 80 notes under a higher one are left out\n"
            "quavrel import-midi: warning: the notes' loudness (velocity 40 to 100) is not kept: the phone plays every "
            "note alike\n");
  EXPECT_EQ(run.out, "imported track 2 \"Vocals\" (named like a melody) as melody 1 of long.bmt: 149 notes from 0.000 s "
                     "in the file, tempo 128; it lasts 73.904 s where the file plays it in 74.500 s: 0.8 % shorter\n");

  run = Quavrel({"import-midi", "long.mid", "--from", "74.500", "-o", "rest.bmt"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(Contains(run.out, ": 11 notes from 74.500 s in the file, tempo 128;")) << run.out;
  WriteProject("expected.bmt", {{"E2(1/4) C2(1/4) Cis2(1/4) D2(1/4) Dis2(1/4) E2(1/4) C2(1/4) Cis2(1/4) D2(1/4) "
                                 "Dis2(1/4) E2(1/4)"}});
  EXPECT_EQ(ReadFile("rest.bmt"), ReadFile("expected.bmt"));
}
