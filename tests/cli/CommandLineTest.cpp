#include "cli/CommandTable.h"
#include "tests/cli/CliTestSupport.h"
#include "texts/Version.h"

using namespace cli_testing;

TEST(CommandLine, HelpListsEveryCommandAndEachCommandHasItsOwn) {
  RunResult overview = Quavrel({"--help"});
  EXPECT_EQ(overview.code, 0);
  EXPECT_EQ(Quavrel({"help"}).out, overview.out);
  for (int i = 0; i < CommandCount(); ++i) {
    std::string name = CommandTable()[i].name;
    EXPECT_TRUE(Contains(overview.out, "  " + name + " ")) << name;
    for (auto args : std::vector<std::vector<std::string>>{{"help", name}, {name, "x", "-h"}}) {
      RunResult help = Quavrel(args);
      EXPECT_EQ(help.code, 0) << name;
      EXPECT_EQ(help.out.rfind("Usage: quavrel " + name + " ", 0), 0u) << help.out;
    }
  }
}

TEST(CommandLine, WrongUsageExitsWithTwo) {
  ScopedWorkDir dir;
  ExpectFailure({}, 2, "Usage: quavrel COMMAND");
  ExpectFailure({"play", "x.bmt"}, 2, "unknown command 'play'");
  ExpectFailure({"help", "play"}, 2, "unknown command 'play'");
  ExpectFailure({"show", "a.bmt", "--fast"}, 2, "unknown option '--fast'\n\"quavrel show --help\" shows how");
  ExpectFailure({"encode", "a.bmt", "-o"}, 2, "option -o needs a value");
  ExpectFailure({"encode", "a.bmt", "-o", "x.bin", "-o", "y.bin"}, 2, "may be given only once");
  ExpectFailure({"project", "a.bmt", "--melody", "1"}, 2, "needs 2 values");
  ExpectFailure({"show", "a.bmt", "b.bmt"}, 2, "one project file at a time");
}

TEST(CommandLine, EveryCommandNamesTheVersionOfTheProgram) {
  const std::string version = Quavrel({"--version"}).out;
  EXPECT_EQ(version, std::string("quavrel ") + QUAVREL_VERSION_TEXT + "\n");
  for (int i = 0; i < CommandCount(); ++i) {
    RunResult run = Quavrel({CommandTable()[i].name, "x", "--version"});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, version) << CommandTable()[i].name;
  }
}

TEST(CommandLine, OnlyACommandThatRunsStartsANewLog) {
  ScopedWorkDir dir;
  WriteProject("p.bmt", {{"C2(1/4)"}});
  const std::pair<std::vector<std::string>, bool> rows[] = {
      {{"--help"}, false},
      {{"--version"}, false},
      {{"help", "encode"}, false},
      {{"encode", "--help"}, false},
      {{"encode", "p.bmt", "--version"}, false},
      {{"encode", "p.bmt"}, false},                    // -o is missing
      {{"encode", "p.bmt", "-o", "p.BIN"}, false},     // the wrong ending
      {{"power-off", "--port", "COM1", "x"}, false},  // an argument too many
      {{"frobnicate"}, false},
      {{"show", "p.bmt"}, true},
      {{"check", "absent.bmt"}, true},  // it ran, and failed
      {{"encode", "p.bmt", "-o", "p.bin"}, true},
  };
  for (const auto& [args, starts] : rows) {
    WriteFile("Error.log", "from an earlier run\r\n");
    Quavrel(args);
    EXPECT_EQ(ReadFile("Error.log") == "from an earlier run\r\n", !starts) << args[0];
  }
}

TEST(CommandLine, NamesInMessagesShowTheirControlCharacters) {
  ScopedWorkDir dir;
  ExpectFailure({"bad\x1b[2Jname"}, 2, "unknown command 'bad\\x1B[2Jname'");
  ExpectFailure({"show", "a\nb.bmt"}, 1, "cannot read 'a\\nb.bmt': ");
  ExpectFailure({"show", "--\t"}, 2, "unknown option '--\\t'");
}
