#include "tests/cli/CliTestSupport.h"

using namespace cli_testing;

namespace {

// A project file written byte by byte, so that a text may pass 2047 bytes.
std::string RawProject(const std::vector<Melody>& melodies) {
  auto u16 = [](unsigned value) { return std::string{static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)}; };
  std::string bytes;
  for (size_t r = 0; r < 4; ++r) bytes += u16(static_cast<unsigned>(melodies[r].text.size())) + melodies[r].text + u16(melodies[3 - r].tempo);
  return bytes;
}

}  // namespace

TEST(CheckCommand, ListsEachKindOfProblemAndWritesNothing) {
  ScopedWorkDir dir;
  std::string longText = Repeated("C2(1/4)", 150);
  longText += std::string(2047 - longText.size(), ' ') + "D2(1/4)";
  WriteFile("p.bmt", RawProject({{"C2(1/4) X9(1/4) C2(1/3) C2(1/512) D2", 600},
                                 {Repeated("E2(1/8)", 151)},
                                 {"C2(1/1) D2(1/2) E2(1/1)", 2},
                                 {longText}}));
  RunResult run = Quavrel({"check", "p.bmt"});
  EXPECT_EQ(run.code, 1);
  const char* expected[] = {
      "melody 1, line 1, column 9, \"X9(1/4)\": unknown note \"X9\"",
      "melody 1, line 1, column 17, \"C2(1/3)\": unknown duration \"(1/3)\"",
      "melody 1, line 1, column 25, \"C2(1/512)\": comes out as a duration of 0 at tempo 600",
      "melody 1, line 1, column 35: \"D2\" gives no note",
      "melody 2, line 1, column 1193: the melody has more than 149 notes",
      ("melody 3: at tempo 2 (1/1) would last 126976, longer than the 65535 a note holds; notes 1, 3 are "
       "shortened to 65535"),
      "melody 4, line 1, column 2048: the text is 2054 bytes long; a melody keeps the first 2047",
      "melody 4, line 1, column 1193: the melody has more than 149 notes",
      "p.bmt: 8 problems\n",
  };
  for (const char* line : expected) EXPECT_TRUE(Contains(run.out, line)) << line << "\n" << run.out;
  EXPECT_EQ(FilesHere(), (std::vector<std::string>{"Error.log", "p.bmt"}));
}
