#include "cli/TerminalText.h"
#include "tests/cli/CliTestSupport.h"

using namespace cli_testing;

TEST(EncodeCommand, WritesTheBlockAndDescriptionTheProgramsExportWrites) {
  ScopedWorkDir dir;
  const std::vector<Melody> melodies = {
      {"C2(1/4) D2(1/8) P(1/4)", 128}, {""}, {"a3(1/16) Cis4(1/2),H1(1/1)", 2}, {"E2( 1 / 4 ) G8(1/512)", 600}};
  WriteProject("p.bmt", melodies);
  auto expected = SetOf(melodies);
  expected->EncodeAll();
  ASSERT_EQ(expected->ExportBlock("expected.bin"), 1);

  RunResult run = Quavrel({"encode", "p.bmt", "-o", "tunes.bin.bin"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "wrote tunes.bin.bin (2408 bytes) and tunes.bin.bid"));
  EXPECT_EQ(ReadFile("tunes.bin.bin"), ReadFile("expected.bin"));
  EXPECT_EQ(ReadFile("tunes.bin.bid"), ReadFile("expected.bid"));
}

TEST(EncodeCommand, ReportsEachPlaceholderAndCutWithItsMelodyLineAndColumnInANewLog) {
  ScopedWorkDir dir;
  WriteFile("Error.log", "left from an earlier run\r\n");
  WriteProject("p.bmt", {{"C2(1/4)\r\nD2(1/8) X9(1/4)"},
                         {"C2(1/4)D2(1/8) E2 (1/4)"},
                         {Repeated("C2(1/4)", 151)},
                         {"C2(1/512)", 600}});
  RunResult run = Quavrel({"encode", "p.bmt", "-o", "out.bin"});
  EXPECT_EQ(run.code, 0);
  const char* expected[] = {
      "melody 1, line 2, column 1, \"\\nD2(1/8)\": unknown note \"\\nD2\"; a line break joins the note after it",
      "melody 1, line 2, column 9, \"X9(1/4)\": unknown note \"X9\"; it plays as a silence of 31",
      "melody 2, line 1, column 9, \"2(1/8)\": unknown note \"2\"; the \"D\" right after \")\" is skipped",
      "melody 2, line 1, column 19, \"(1/4)\": no note before the duration",
      "melody 3, line 1, column 1193: the melody has more than 149 notes",
      "melody 4, line 1, column 1, \"C2(1/512)\": comes out as a duration of 0 at tempo 600",
  };
  for (const char* line : expected) EXPECT_TRUE(Contains(run.err, std::string("warning: ") + line)) << run.err;
  const std::string log = ReadFile("Error.log");
  EXPECT_FALSE(Contains(log, "earlier run"));
  EXPECT_TRUE(Contains(log, "Warring: Note and Tone: X9(1/4)\r\n"));
}

TEST(EncodeCommand, RefusesBadInputAndLeavesNothingHalfWritten) {
  ScopedWorkDir dir;
  WriteProject("p.bmt", {{"C2(1/4)"}});
  WriteFile("old.bin", "old block");
  WriteFile("old.bid", "old description");
  WriteFile("short.bmt", "\x05");
  WriteFile("long.bmt", std::string("\x00\x08", 2) + std::string(2048, 'C') + std::string(14, '\0'));
  ExpectFailure({"encode", "absent.bmt", "-o", "old.bin"}, 1, "cannot read 'absent.bmt'");
  ExpectFailure({"encode", "short.bmt", "-o", "old.bin"}, 1, "not a project file");
  ExpectFailure({"encode", "long.bmt", "-o", "old.bin"}, 1, "melody 1 of 'long.bmt' is 2048 bytes long");
  ExpectFailure({"encode", "p.bmt", "-o", "absent/out.bin"}, 1, "cannot write 'absent/out.bin' and 'absent/out.bid': ");
  ExpectFailure({"encode", "p.bmt", "-o", "out.BIN"}, 2, "must end in \".bin\": out.BIN");
  ExpectFailure({"encode", "p.bmt"}, 2, "-o OUT.bin");
  EXPECT_EQ(ReadFile("old.bin"), "old block");
  EXPECT_EQ(ReadFile("old.bid"), "old description");
  EXPECT_EQ(FilesHere(), (std::vector<std::string>{"long.bmt", "old.bid", "old.bin", "p.bmt", "short.bmt"}));
}

TEST(EncodeCommand, WarnsOfEverythingCheckFindsAndStillEncodes) {
  ScopedWorkDir dir;
  // A note left without its duration, durations clipped at 65535, and a
  // Cyrillic С that looks like C.
  WriteProject("p.bmt", {{"C2(1/1) D2(1/2) E2", 2}, {"\xD1" "2(1/4) D2(1/4)"}});
  RunResult check = Quavrel({"check", "p.bmt"});
  ASSERT_EQ(check.code, 1);
  std::vector<std::string> problems;
  std::istringstream lines(check.out);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("melody ", 0) == 0) problems.push_back(line);
  ASSERT_EQ(problems.size(), 3u) << check.out;
  const std::string cyrillicC = TerminalFromCp1251("\xD1");
  EXPECT_TRUE(Contains(problems[2], "unknown note \"" + cyrillicC + "2\"; \"" + cyrillicC +
                                        "\" is the Cyrillic letter, not the Latin C"))
      << check.out;

  RunResult encode = Quavrel({"encode", "p.bmt", "-o", "p.bin"});
  EXPECT_EQ(encode.code, 0);
  for (const std::string& problem : problems)
    EXPECT_TRUE(Contains(encode.err, "quavrel encode: warning: " + problem + "\n")) << problem << "\n" << encode.err;
  RunResult render = Quavrel({"render", "p.bmt", "--melody", "2", "-o", "p.wav"});
  EXPECT_EQ(render.code, 0);
  EXPECT_TRUE(Contains(render.err, "warning: " + problems[2])) << render.err;
  EXPECT_FALSE(Contains(render.err, "melody 1")) << render.err;
}
