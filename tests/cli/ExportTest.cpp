#include "tests/cli/CliTestSupport.h"

using namespace cli_testing;

TEST(ExportRtttlCommand, WritesTheMelodyAsARingtoneThatImportsBackTheSame) {
  ScopedWorkDir dir;
  WriteProject("song.bmt", {{"C2(1/8) C2(1/16) D2(1/4) P(1/8) E3(1/2)"}, {""}, {"A1(1/4) Fis2(1/4)", 64}});
  RunResult run = Quavrel({"export-rtttl", "song.bmt"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "song 1:d=8,o=5,b=121:c.,4d,p,2e6\n");
  EXPECT_EQ(run.err, "");

  run = Quavrel({"export-rtttl", "song.bmt", "--melody", "3", "-o", "three.txt"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "melody 3: 2 events as RTTTL at b=121; wrote three.txt\n");
  ASSERT_EQ(Quavrel({"import-rtttl", "three.txt", "-o", "back.bmt"}).code, 0);
  WriteFile("song.bin", EncodedBlock({{"A1(1/4) Fis2(1/4)", 64}}));
  ASSERT_EQ(Quavrel({"encode", "back.bmt", "-o", "back.bin"}).code, 0);
  EXPECT_EQ(ReadFile("back.bin"), ReadFile("song.bin"));

  // From a block, where the tempos are gone: the same events.
  run = Quavrel({"export-rtttl", "--block", "song.bin"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "song 1:d=2,o=4,b=121:a,f#5\n");
}

TEST(ExportRtttlCommand, RefusesWhatItCannotExport) {
  ScopedWorkDir dir;
  WriteProject("song.bmt", {{"C2(1/4)"}, {""}, {"C2"}});
  WriteFile("bad.bin", EncodedBlock({}).replace(1806, 2, "\x20\x00", 2));
  ExpectFailure({"export-rtttl"}, 2, "the project file (or --block BLOCK.bin) is missing");
  ExpectFailure({"export-rtttl", "song.bmt", "--block", "song.bin"}, 2, "give a project file or --block, not both");
  ExpectFailure({"export-rtttl", "song.bmt", "--melody", "5"}, 2, "melody number must be 1, 2, 3 or 4, not '5'");
  ExpectFailure({"export-rtttl", "song.bmt", "--melody", "2"}, 1, "melody 2 of 'song.bmt' has no notes: nothing to export");
  ExpectFailure({"export-rtttl", "song.bmt", "--melody", "3"}, 1, "melody 3 of 'song.bmt' has no notes");
  ExpectFailure({"export-rtttl", "--block", "bad.bin"}, 1, "melody 1 of 'bad.bin' cannot be read: its slot begins with 0x0020");
  ExpectFailure({"export-rtttl", "missing.bmt"}, 1, "missing.bmt");
  ExpectFailure({"export-rtttl", "song.bmt", "-o", "no/such/folder/x.txt"}, 1, "x.txt");
  ExpectFailure({"export-rtttl", "song.bmt", "-o", "./song.bmt"}, 2, "song.bmt");  // its own input
  EXPECT_EQ(ReadFile("song.bmt").size(), 4 * 4 + 7u + 2);
}

TEST(ExportMidiCommand, WritesOneTrackPerMelodyWithNotes) {
  ScopedWorkDir dir;
  WriteProject("song.bmt", {{"A1(1/4) P(1/8) C2(1/8)"}, {""}, {"H1(1/2)"}});
  RunResult run = Quavrel({"export-midi", "song.bmt", "-o", "song.mid"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "wrote song.mid: 2 tracks (melodies 1, 3), one tick a millisecond, a quarter note 496 ticks\n");
  std::string midi = ReadFile("song.mid");
  EXPECT_EQ(midi.substr(0, 14), std::string("MThd\0\0\0\x06\0\x01\0\x03\x01\xF0", 14));  // format 1, 3 tracks, 496
  EXPECT_TRUE(Contains(midi, "Melody 1") && Contains(midi, "Melody 3") && !Contains(midi, "Melody 2"));

  run = Quavrel({"export-midi", "song.bmt", "--melody", "3", "-o", "three.mid"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "wrote three.mid: 1 track (melody 3), one tick a millisecond, a quarter note 496 ticks\n");

  // "-" is standard output, the summary then on standard error.
  run = Quavrel({"export-midi", "song.bmt", "--melody", "3", "-o", "-"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, ReadFile("three.mid"));
  EXPECT_EQ(run.err, "wrote the MIDI file to standard output: 1 track (melody 3), one tick a millisecond, a quarter "
                     "note 496 ticks\n");

  WriteFile("empty.bin", EncodedBlock({}));
  ExpectFailure({"export-midi", "song.bmt"}, 2, "the MIDI file to write is missing: -o OUT.mid");
  ExpectFailure({"export-midi", "song.bmt", "-o", "song.midi"}, 2, "the MIDI file's name must end in \".mid\": song.midi");
  ExpectFailure({"export-midi", "--block", "song.mid", "-o", "song.mid"}, 2, "song.mid");  // its own input
  ExpectFailure({"export-midi", "song.bmt", "--melody", "2", "-o", "two.mid"}, 1, "melody 2 of 'song.bmt' has no notes");
  ExpectFailure({"export-midi", "--block", "empty.bin", "-o", "none.mid"}, 1, "no melody of 'empty.bin' has notes");
  EXPECT_FALSE(std::filesystem::exists("two.mid"));
  EXPECT_FALSE(std::filesystem::exists("none.mid"));
}
