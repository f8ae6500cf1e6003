#include "tests/cli/CliTestSupport.h"

using namespace cli_testing;

TEST(ProjectCommand, WritesWhatTheProgramsSaveWritesWithFileTextByteForByte) {
  ScopedWorkDir dir;
  const std::string text = "C2(1/4)\r\n D2(1/8)\tE2(1/8)\n\xE0\xFF";
  WriteFile("melody.txt", text);
  RunResult run = Quavrel({"project", "p.bmt", "--melody", "3", "E2(1/8) P(1/4)", "--tempo", "4", "300",
                           "--melody", "2", "@melody.txt", "--melody", "1", "C2(1/4)", "--tempo", "1", "0"});
  ASSERT_EQ(run.code, 0) << run.err;
  WriteProject("expected.bmt", {{"C2(1/4)", 0}, {text}, {"E2(1/8) P(1/4)"}, {"", 300}});
  EXPECT_EQ(ReadFile("p.bmt"), ReadFile("expected.bmt"));
}

TEST(ProjectCommand, BadArgumentsWriteNothingAndLeaveTheOldFile) {
  ScopedWorkDir dir;
  WriteFile("zero.txt", std::string("C2(1/4)\0D2(1/4)", 15));
  WriteFile("old.bmt", "old");
  ExpectFailure({"project", "old.bmt", "--melody", "5", "C2(1/4)"}, 2, "melody number must be 1, 2, 3 or 4, not '5'");
  for (std::string tempo : {"65536", "-1", "12a"})
    ExpectFailure({"project", "old.bmt", "--tempo", "1", tempo}, 2, "from 0 to 65535, not '" + tempo + "'");
  ExpectFailure({"project", "old.bmt", "--melody", "1", "C2(1/4)", "--melody", "1", "D2(1/4)"}, 2,
                "--melody 1 is given twice");
  ExpectFailure({"project", "old.bmt", "--melody", "1", std::string(2048, 'C')}, 1,
                "2048 bytes long; a melody holds at most 2047");
  ExpectFailure({"project", "old.bmt", "--melody", "1", "@zero.txt"}, 1, "zero byte");
  ExpectFailure({"project", "old.bmt", "--melody", "1", "@absent.txt"}, 1, "cannot read 'absent.txt'");
  EXPECT_EQ(ReadFile("old.bmt"), "old");
  ExpectFailure({"project", "p.BMT"}, 2, "must end in \".bmt\": p.BMT");
  ExpectFailure({"project", "absent/p.bmt"}, 1, "cannot create 'absent/p.bmt'");
  EXPECT_EQ(FilesHere(), (std::vector<std::string>{"old.bmt", "zero.txt"}));

  ASSERT_EQ(Quavrel({"project", "old.bmt", "--melody", "1", std::string(2047, 'C')}).code, 0);
  EXPECT_EQ(ReadFile("old.bmt").size(), 16u + 2047u);
}

TEST(ShowCommand, PrintsEachMelodyWithItsTempoAndLines) {
  ScopedWorkDir dir;
  WriteProject("p.bmt", {{"C2(1/4)\r\n D2(1/8)", 90}, {""}, {"E2(1/4)\x01\tF2(1/4)", 65535}});
  RunResult run = Quavrel({"show", "p.bmt"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out,
            "Melody 1, tempo 90:\n"
            "    C2(1/4)\n"
            "     D2(1/8)\n"
            "Melody 2, tempo 128: empty\n"
            "Melody 3, tempo 65535:\n"
            "    E2(1/4)\\x01\tF2(1/4)\n"
            "Melody 4, tempo 128: empty\n");
}

TEST(ShowCommand, RefusesAFileThatIsNotAProject) {
  ScopedWorkDir dir;
  WriteProject("good.bmt", {{"C2(1/4)"}});
  const std::string good = ReadFile("good.bmt");
  const std::pair<std::string, std::string> cases[] = {
      {"", "it ends inside melody 1's record (0 bytes)"},
      {good.substr(0, good.size() - 1), "it ends inside melody 4's record (22 bytes)"},
      {good + "x", "1 byte follows its four records"},
      {std::string("\xFF\xFF", 2) + good, "melody 1's text of 65535 bytes runs past its end"},
      {std::string("\x03\0C\0D\x80\0", 7) + good.substr(11), "melody 1's text holds a zero byte"},
  };
  for (const auto& [bytes, message] : cases) {
    WriteFile("bad.bmt", bytes);
    ExpectFailure({"show", "bad.bmt"}, 1, "'bad.bmt' is not a project file: " + message);
  }
}
