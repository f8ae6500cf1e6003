// The commands that carry melodies to and from RTTTL ringtones and MIDI files.
#include "exchange/MidiFile.h"
#include "tests/cli/CliTestSupport.h"

using namespace cli_testing;

TEST(ImportRtttlCommand, ReplacesOneMelodySaysWhatChangedAndWritesNothingOnBadInput) {
  ScopedWorkDir dir;
  WriteFile("tune.txt", "tune:d=8,o=5,b=240:c,e,g\n");
  WriteProject("old.bmt", {{"A1(1/4)", 90}, {"H1(1/4)", 91}, {"C2(1/4)", 92}, {"D2(1/4)", 93}});
  // b=240 asks for 125 ms an eighth: (1/8) at tempo 256 is 124.
  EXPECT_EQ(Ok({"import-rtttl", "tune.txt", "--melody", "3", "-o", "old.bmt"}).out,
            "imported \"tune\" as melody 3 of old.bmt: 3 notes, tempo 256 with an RTTTL quarter note as (1/4); it lasts 0.372 s where the ringtone asks for 0.375 s: 0.8 % shorter\n");
  EXPECT_EQ(ReadFile("old.bmt"),
            ProjectBytes({{"A1(1/4)", 90}, {"H1(1/4)", 91}, {"C2(1/8) E2(1/8) G2(1/8)", 256}, {"D2(1/4)", 93}}));
  Ok({"import-rtttl", "tune.txt", "-o", "new.bmt"});  // melody 1 of a new project
  EXPECT_EQ(ReadFile("new.bmt"), ProjectBytes({{"C2(1/8) E2(1/8) G2(1/8)", 256}}));

  WriteFile("bad.txt", "tune:d=8:c,x");
  ExpectFailure({"import-rtttl", "bad.txt", "-o", "out.bmt"}, 1, "(a to g, h or p); nothing was written");

  WriteFile("low.txt", "low:o=3:e");  // its warnings go to standard error
  EXPECT_TRUE(Contains(Ok({"import-rtttl", "low.txt", "-o", "low.bmt"}).err, "the whole tune is moved up 1 octave\n"));

  WriteFile("zero.txt", std::string("nul::c,d\0,e", 11));  // "nul.txt" would be Windows' NUL device
  ExpectFailure({"import-rtttl", "zero.txt", "-o", "zero.bmt"}, 1, "unexpected '\\x00' at line 1, column 9 after \"d\"");
}

TEST(ExportRtttlCommand, WritesTheMelodyAsARingtoneThatImportsBackTheSame) {
  ScopedWorkDir dir;
  WriteProject("song.bmt", {{"C2(1/8) C2(1/16) D2(1/4) P(1/8) E3(1/2)"}, {""}, {"A1(1/4) Fis2(1/4)", 64}});
  EXPECT_EQ(Ok({"export-rtttl", "song.bmt"}).out, "song 1:d=8,o=5,b=121:c.,4d,p,2e6\n");
  EXPECT_EQ(Ok({"export-rtttl", "song.bmt", "--melody", "3", "-o", "three.txt"}).out,
            "melody 3: 2 events as RTTTL at b=121; wrote three.txt\n");
  Ok({"import-rtttl", "three.txt", "-o", "back.bmt"});
  WriteFile("song.bin", EncodedBlock({{"A1(1/4) Fis2(1/4)", 64}}));
  Ok({"encode", "back.bmt", "-o", "back.bin"});
  EXPECT_EQ(ReadFile("back.bin"), ReadFile("song.bin"));
  // From a block, where the tempos are gone: the same events.
  EXPECT_EQ(Ok({"export-rtttl", "--block", "song.bin"}).out, "song 1:d=2,o=4,b=121:a,f#5\n");

  ExpectFailure({"export-rtttl"}, 2, "the project file (or --block BLOCK.bin) is missing");
  ExpectFailure({"export-rtttl", "song.bmt", "--block", "song.bin"}, 2, "give a project file or --block, not both");
  ExpectFailure({"export-rtttl", "song.bmt", "--melody", "2"}, 1, "melody 2 of 'song.bmt' has no notes: nothing to export");
  ExpectFailure({"export-rtttl", "song.bmt", "-o", "no/such/folder/x.txt"}, 1, "x.txt");
  ExpectFailure({"export-rtttl", "song.bmt", "-o", "./song.bmt"}, 2, "song.bmt");  // its own input
}

TEST(ExportMidiCommand, WritesOneTrackPerMelodyWithNotes) {
  ScopedWorkDir dir;
  WriteProject("song.bmt", {{"A1(1/4) P(1/8) C2(1/8)"}, {""}, {"H1(1/2)"}, {"C2"}});
  EXPECT_EQ(Ok({"export-midi", "song.bmt", "-o", "song.mid"}).out,
            "wrote song.mid: 2 tracks (melodies 1, 3), one tick a millisecond, a quarter note 496 ticks\n");
  std::string midi = ReadFile("song.mid");
  EXPECT_EQ(midi.substr(0, 14), std::string("MThd\0\0\0\x06\0\x01\0\x03\x01\xF0", 14));  // format 1, 3 tracks, 496

  WriteFile("empty.bin", EncodedBlock({}));
  ExpectFailure({"export-midi", "--block", "empty.bin", "-o", "none.mid"}, 1, "no melody of 'empty.bin' has notes");
}

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
  RunResult run = Ok({"import-midi", "song.mid", "--melody", "3", "-o", "old.bmt"});
  // (1/4) at tempo 128 lasts 496 ms.
  EXPECT_EQ(run.out, "imported track 2 \"Lead\" (named like a melody) as melody 3 of old.bmt: 3 notes from 0.000 s in "
                     "the file, tempo 128; it lasts 1.488 s where the file plays it in 1.500 s: 0.8 % shorter\n");
  EXPECT_EQ(run.err, "quavrel import-midi: warning: 3 notes of other parts (in track 3) are left out: --list shows every "
                     "track, --track or --channel takes another part\n");
  EXPECT_EQ(ReadFile("old.bmt"),
            ProjectBytes({{"A1(1/4)", 90}, {"H1(1/4)", 91}, {"C2(1/4) D2(1/4) E2(1/4)", 128}, {"D2(1/4)", 93}}));

  // Another part by hand, into a new project; the bass moves up into the melody's octaves.
  run = Ok({"import-midi", "song.mid", "--track", "3", "-o", "bass.bmt"});
  EXPECT_TRUE(Contains(run.err, "warning: the notes lie in keys 43 to 48 (G2 to C3), the melody's octaves 1 to 8 are "
                                "keys 60 to 155: the whole tune is moved up 2 octaves\n"))
      << run.err;
  EXPECT_EQ(ReadFile("bass.bmt"), ProjectBytes({{"C2(1/4) G1(1/4) C2(1/4)"}}));
  // An octave lower first, then up as far as the melody's octaves need.
  Ok({"import-midi", "song.mid", "--channel", "2", "--transpose", "-12", "-o", "low.bmt"});
  EXPECT_EQ(ReadFile("low.bmt"), ReadFile("bass.bmt"));

  const std::string file = ReadFile("song.mid");
  WriteFile("cut.mid", file.substr(0, file.size() - 10));
  WriteFile("drums.mid", Song({{"Melody", 9, 0, Line({36, 38})}}));
  WriteFile("broken.bmt", "not a project");
  ExpectFailure({"import-midi", "cut.mid", "-o", "out.bmt"}, 1, "the chunk says 39 bytes, 29 follow; nothing was written");
  ExpectFailure({"import-midi", "drums.mid", "-o", "out.bmt"}, 1, "no notes outside the drums' channel 10");
  ExpectFailure({"import-midi", "song.mid", "--track", "4", "-o", "out.bmt"}, 1,
                "'song.mid' has 3 tracks, not a track 4; nothing was written");
  ExpectFailure({"import-midi", "song.mid", "--from", "1.5", "-o", "out.bmt"}, 1,
                "no note of track 2 \"Lead\" begins at or after 1.500 s in 'song.mid'");
  ExpectFailure({"import-midi", "song.mid", "-o", "broken.bmt"}, 1, "it was left as it was");
  ExpectFailure({"import-midi", "song.mid", "--list", "--track", "2"}, 2, "--list takes only the MIDI file");
}

TEST(ImportMidiCommand, ListsTheTracksAndTheOneItTakes) {
  ScopedWorkDir dir;
  std::vector<MidiNote> chords = Line({48, 50, 52, 53});
  for (MidiNote note : Line({55, 57, 59, 60})) chords.push_back(note);
  WriteFile("song.mid", Song({{"Piano", 0, 0, chords}, {"", 1, 73, Line({79, 81, 83, 84, 86, 84})},
                              {"Drums", 9, 0, Line({36, 38, 36, 38})}}));
  EXPECT_EQ(Ok({"import-midi", "song.mid", "--list"}).out,
            "format 1, 4 tracks, 96 ticks a quarter note, 1 tempo change\n"
            "track 1 \"\": no notes\n"
            "track 2 \"Piano\": channel 1, program 1, 8 notes, keys 48 to 60 (C3 to C4), up to 2 at once\n"
            "track 3 \"\": channel 2, program 74, 6 notes, keys 79 to 86 (G5 to D6), one at a time\n"
            "track 4 \"Drums\": channel 10 (drums), program 1, 4 notes, keys 36 to 38 (C2 to D2), one at a time\n"
            "import-midi takes track 3 (the highest-sounding part of those that play often)\n");

  // Standard input in, standard output out: a new project, the summary on standard error.
  EXPECT_EQ(Ok({"import-midi", "-", "-o", "-"}, ReadFile("song.mid")).out,
            ProjectBytes({{"G2(1/4) A2(1/4) H2(1/4) C3(1/4) D3(1/4) C3(1/4)"}}));
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
  RunResult run = Ok({"import-midi", "long.mid", "-o", "long.bmt"});
  for (const char* warning : {"(160 events) and the phone holds 149 events: the melody is cut before the note at "
                              "74.500 s in the file; --from 74.500 imports from there\n",
                              "80 notes under a higher one are left out\n", "(velocity 40 to 100) is not kept"})
    EXPECT_TRUE(Contains(run.err, warning)) << run.err;
  EXPECT_TRUE(Contains(run.out, ": 149 notes from 0.000 s in the file, tempo 128; it lasts 73.904 s")) << run.out;

  run = Ok({"import-midi", "long.mid", "--from", "74.500", "-o", "rest.bmt"});
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(Contains(run.out, ": 11 notes from 74.500 s in the file, tempo 128;")) << run.out;
}
