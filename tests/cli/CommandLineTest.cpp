#include "cli/CommandTable.h"
#include "tests/cli/CliTestSupport.h"

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
