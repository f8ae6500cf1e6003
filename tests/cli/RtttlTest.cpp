#include "tests/cli/CliTestSupport.h"

using namespace cli_testing;

TEST(ImportRtttlCommand, ReplacesOneMelodyAndWritesNothingOnBadInput) {
  ScopedWorkDir dir;
  WriteFile("tune.txt", "tune:d=8,o=5,b=240:c,e,g\n");
  WriteProject("old.bmt", {{"A1(1/4)", 90}, {"H1(1/4)", 91}, {"C2(1/4)", 92}, {"D2(1/4)", 93}});
  RunResult run = Quavrel({"import-rtttl", "tune.txt", "--melody", "3", "-o", "old.bmt"});
  ASSERT_EQ(run.code, 0) << run.err;
  // b=240 asks for 125 ms an eighth: (1/8) at tempo 256 is 124.
  EXPECT_EQ(run.out, "imported \"tune\" as melody 3 of old.bmt: 3 notes, tempo 256 with an RTTTL quarter note as (1/4); "
                     "it lasts 0.372 s where the ringtone asks for 0.375 s: 0.8 % shorter\n");
  WriteProject("expected.bmt", {{"A1(1/4)", 90}, {"H1(1/4)", 91}, {"C2(1/8) E2(1/8) G2(1/8)", 256}, {"D2(1/4)", 93}});
  EXPECT_EQ(ReadFile("old.bmt"), ReadFile("expected.bmt"));
  ASSERT_EQ(Quavrel({"import-rtttl", "tune.txt", "-o", "new.bmt"}).code, 0);  // melody 1 of a new project
  WriteProject("expected.bmt", {{"C2(1/8) E2(1/8) G2(1/8)", 256}});
  EXPECT_EQ(ReadFile("new.bmt"), ReadFile("expected.bmt"));

  WriteFile("bad.txt", "tune:d=8:c,x");
  WriteFile("broken.bmt", "not a project");
  ExpectFailure({"import-rtttl", "bad.txt", "-o", "out.bmt"}, 1,
                "'bad.txt': unknown note 'x' at line 1, column 12: expected a note letter (a to g, h or p); "
                "nothing was written");
  ExpectFailure({"import-rtttl", "tune.txt", "-o", "broken.bmt"}, 1, "it was left as it was");
  ExpectFailure({"import-rtttl", "tune.txt", "-o", "out.bin"}, 2, "must end in \".bmt\": out.bin");
  ExpectFailure({"import-rtttl", "old.bmt", "-o", "old.bmt"}, 2, "old.bmt");  // the ringtone would be overwritten
  EXPECT_EQ(ReadFile("broken.bmt"), "not a project");
  EXPECT_FALSE(std::filesystem::exists("out.bmt"));
}

TEST(ImportRtttlCommand, SaysWhatChangedAndCountsRight) {
  ScopedWorkDir dir;
  WriteFile("one.txt", "one:o=3,l=2:e#.");
  RunResult run = Quavrel({"import-rtttl", "one.txt", "-o", "one.bmt"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, ": 1 note (2 events), tempo ")) << run.out;
  EXPECT_TRUE(Contains(run.err, "warning: the setting l=2 at line 1, column 9 (loops) is ignored")) << run.err;
  EXPECT_TRUE(Contains(run.err, "warning: note 1 (line 1, column 13, \"e#.\") is read as F, the note it sounds")) << run.err;
  EXPECT_TRUE(Contains(run.err, "the whole tune is moved up 1 octave\n")) << run.err;

  // To standard output: a new project, the summary on standard error.
  run = Quavrel({"import-rtttl", "one.txt", "--melody", "2", "-o", "-"});
  ASSERT_EQ(run.code, 0) << run.err;
  WriteProject("expected.bmt", {{""}, {"F1(1/64) F1(1/128)", 4}});  // a dotted quarter at b=63: 960 + 448 ms
  EXPECT_EQ(run.out, ReadFile("expected.bmt"));
  EXPECT_TRUE(Contains(run.err, "imported \"one\" as melody 2 of the project on standard output: 1 note (2 events)"));

  WriteFile("zero.txt", std::string("nul::c,d\0,e", 11));  // "nul.txt" would be Windows' NUL device
  ExpectFailure({"import-rtttl", "zero.txt", "-o", "zero.bmt"}, 1, "unexpected '\\x00' at line 1, column 9 after \"d\"");
}
