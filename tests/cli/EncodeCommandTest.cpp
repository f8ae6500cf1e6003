#include <gtest/gtest.h>

#include "tests/cli/CliTestSupport.h"

using namespace cli_testing;
using testing_support::ScopedWorkDir;

namespace {

const std::string kDescription =
    "EEPROM block additional file.\r\nPhone HWid:\r\n131\r\nEEPROM BlockId:\r\n5071\r\n"
    "EEPROM BlockVer:\r\n4\r\n";

std::string Notes(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += (i % 2 ? "D2(1/8) " : "C2(1/4) ");
  return text;
}

}  // namespace

TEST(EncodeCommand, WritesTheBlockTheMelodySetEncodesAndItsDescription) {
  ScopedWorkDir dir;
  const std::vector<Melody> melodies = {
      {"C2(1/4) D2(1/8) P(1/4)", 128}, {""}, {"a3(1/16) Cis4(1/2),H1(1/1)", 2}, {"E2( 1 / 4 ) G8(1/512)", 600}};
  WriteProject("p.bmt", melodies);
  RunResult run = Quavrel({"encode", "p.bmt", "-o", "out.bin"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(ReadFile("out.bin"), EncodedBlock(melodies));
  EXPECT_EQ(ReadFile("out.bid"), kDescription);
  EXPECT_TRUE(Contains(run.out, "wrote out.bin (2408 bytes) and out.bid"));

  // The last ".bin" names the description, as the program's export does.
  ASSERT_EQ(Quavrel({"encode", "p.bmt", "-o", "tunes.bin.bin"}).code, 0);
  EXPECT_EQ(ReadFile("tunes.bin.bid"), kDescription);
}

TEST(EncodeCommand, ReportsEachPlaceholderWithItsMelodyLineAndColumn) {
  ScopedWorkDir dir;
  WriteProject("p.bmt", {{"C2(1/4)\r\nD2(1/8) X9(1/4)"}, {"C2(1/4)D2(1/8) E2 (1/4)"}, {""}, {"C2(1/512)", 600}});
  RunResult run = Quavrel({"encode", "p.bmt", "-o", "out.bin"});
  EXPECT_EQ(run.code, 0);
  const char* expected[] = {
      "melody 1, line 2, column 1, \"\\nD2(1/8)\": unknown note \"\\nD2\"; a line break joins the note after it",
      "melody 1, line 2, column 9, \"X9(1/4)\": unknown note \"X9\"; it plays as a silence of 31",
      "melody 2, line 1, column 9, \"2(1/8)\": unknown note \"2\"; the \"D\" right after \")\" is skipped",
      "melody 2, line 1, column 19, \"(1/4)\": no note before the duration",
      "melody 4, line 1, column 1, \"C2(1/512)\": comes out as a duration of 0 at tempo 600",
  };
  for (const char* line : expected) EXPECT_TRUE(Contains(run.err, std::string("warning: ") + line)) << run.err;
  std::string log = ReadFile("Error.log");
  EXPECT_TRUE(Contains(log, "Warring: Note and Tone: X9(1/4)\r\n"));
  EXPECT_TRUE(Contains(log, "Warring: Note and Tone: 2(1/8)\r\n"));
}

TEST(EncodeCommand, ReportsAMelodyCutToItsSlot) {
  ScopedWorkDir dir;
  WriteProject("p.bmt", {{Notes(149)}, {Notes(151)}});
  RunResult run = Quavrel({"encode", "p.bmt", "-o", "out.bin"});
  EXPECT_EQ(run.code, 0);
  EXPECT_TRUE(Contains(run.err, "melody 2, line 1, column 1193: the melody has more than 149 notes")) << run.err;
  EXPECT_FALSE(Contains(run.err, "melody 1,"));
}

TEST(EncodeCommand, RefusesBadInputAndLeavesNothingHalfWritten) {
  ScopedWorkDir dir;
  WriteProject("p.bmt", {{"C2(1/4)"}});
  WriteFile("old.bin", "old block");
  WriteFile("old.bid", "old description");
  WriteFile("short.bmt", "\x05");
  WriteFile("long.bmt", std::string("\x00\x08", 2) + std::string(2048, 'C') + std::string(14, '\0'));
  std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"absent.bmt", "-o", "old.bin"}, "cannot read 'absent.bmt'"},
      {{"short.bmt", "-o", "old.bin"}, "not a project file"},
      {{"long.bmt", "-o", "old.bin"}, "melody 1 of 'long.bmt' is 2048 bytes long"},
      {{"p.bmt", "-o", "absent/out.bin"}, "cannot create 'absent/out.bin'"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"encode"};
    args.insert(args.end(), c.first.begin(), c.first.end());
    RunResult run = Quavrel(args);
    EXPECT_EQ(run.code, 1) << c.second;
    EXPECT_TRUE(Contains(run.err, c.second)) << run.err;
  }
  RunResult notBin = Quavrel({"encode", "p.bmt", "-o", "out.BIN"});
  EXPECT_EQ(notBin.code, 2);
  EXPECT_TRUE(Contains(notBin.err, "must end in \".bin\": out.BIN"));
  EXPECT_EQ(Quavrel({"encode", "p.bmt"}).code, 2);
  EXPECT_EQ(ReadFile("old.bin"), "old block");
  EXPECT_EQ(ReadFile("old.bid"), "old description");
  EXPECT_EQ(FilesHere(), (std::vector<std::string>{"long.bmt", "old.bid", "old.bin", "p.bmt", "short.bmt"}));
}
