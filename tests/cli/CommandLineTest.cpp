#include <gtest/gtest.h>

#include "cli/CommandTable.h"
#include "tests/cli/CliTestSupport.h"

using namespace cli_testing;
using testing_support::ScopedWorkDir;

TEST(CommandLine, HelpListsEveryCommandAndEachCommandHasItsOwn) {
  RunResult overview = Quavrel({"--help"});
  EXPECT_EQ(overview.code, 0);
  for (int i = 0; i < CommandCount(); ++i) {
    std::string name = CommandTable()[i].name;
    EXPECT_TRUE(Contains(overview.out, "  " + name + " ")) << name;
    for (auto args : std::vector<std::vector<std::string>>{{name, "--help"}, {"help", name}, {name, "x", "-h"}}) {
      RunResult help = Quavrel(args);
      EXPECT_EQ(help.code, 0) << name;
      EXPECT_EQ(help.out.rfind("Usage: quavrel " + name + " ", 0), 0u) << help.out;
      EXPECT_EQ(help.err, "");
    }
  }
  EXPECT_EQ(Quavrel({"help"}).out, overview.out);
}

TEST(CommandLine, WrongUsageExitsWithTwo) {
  ScopedWorkDir dir;
  RunResult none = Quavrel({});
  EXPECT_EQ(none.code, 2);
  EXPECT_TRUE(Contains(none.err, "Usage: quavrel COMMAND"));

  RunResult unknown = Quavrel({"play", "x.bmt"});
  EXPECT_EQ(unknown.code, 2);
  EXPECT_TRUE(Contains(unknown.err, "unknown command 'play'"));
  EXPECT_EQ(Quavrel({"help", "play"}).code, 2);

  struct Case {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"show", "a.bmt", "--fast"}, "unknown option '--fast'"},
      {{"encode", "a.bmt", "-o"}, "option -o needs a value"},
      {{"encode", "a.bmt", "-o", "x.bin", "-o", "y.bin"}, "may be given only once"},
      {{"project", "a.bmt", "--melody", "1"}, "needs 2 values"},
      {{"show", "a.bmt", "b.bmt"}, "one project file at a time"},
  };
  for (const Case& c : cases) {
    RunResult run = Quavrel(c.args);
    EXPECT_EQ(run.code, 2) << c.args[0];
    EXPECT_TRUE(Contains(run.err, c.message)) << run.err;
    EXPECT_TRUE(Contains(run.err, "\"quavrel " + c.args[0] + " --help\"")) << run.err;
  }
}

TEST(CommandLine, EveryRunStartsANewErrorLog) {
  ScopedWorkDir dir;
  WriteFile("Error.log", "left from an earlier run\r\n");
  WriteProject("a.bmt", {{"C2(1/4)"}});
  EXPECT_EQ(Quavrel({"show", "a.bmt"}).code, 0);
  EXPECT_FALSE(std::filesystem::exists("Error.log"));
}
