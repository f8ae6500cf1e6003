#include "cli/CommandTable.h"
#include "tests/cli/CliTestSupport.h"
#include "texts/Version.h"

using namespace cli_testing;

TEST(CommandLine, HelpListsEveryCommandAndEachCommandHasItsOwnAndNamesTheVersion) {
  const std::string overview = Ok({"--help"}).out, version = Ok({"--version"}).out;
  EXPECT_EQ(Quavrel({"help"}).out, overview);
  EXPECT_EQ(version, std::string("quavrel ") + QUAVREL_VERSION_TEXT + "\n");
  for (int i = 0; i < CommandCount(); ++i) {
    const std::string name = CommandTable()[i].name;
    SCOPED_TRACE(name);
    EXPECT_TRUE(Contains(overview, "  " + name + " "));
    EXPECT_EQ(Ok({"help", name}).out.rfind("Usage: quavrel " + name + " ", 0), 0u);
    EXPECT_EQ(Ok({name, "x", "-h"}).out.rfind("Usage: quavrel " + name + " ", 0), 0u);
    EXPECT_EQ(Ok({name, "x", "--version"}).out, version);
  }
}

TEST(CommandLine, WrongUsageExitsWithTwoAndNamesShowTheirControlCharacters) {
  ScopedWorkDir dir;
  ExpectFailure({}, 2, "Usage: quavrel COMMAND");
  ExpectFailure({"bad\x1b[2Jname", "x.bmt"}, 2, "unknown command 'bad\\x1B[2Jname'");
  ExpectFailure({"show", "a.bmt", "--\t"}, 2, "unknown option '--\\t'\n\"quavrel show --help\" shows how");
  ExpectFailure({"encode", "a.bmt", "-o"}, 2, "option -o needs a value");
  ExpectFailure({"encode", "a.bmt", "-o", "x.bin", "-o", "y.bin"}, 2, "may be given only once");
  ExpectFailure({"project", "a.bmt", "--melody", "1"}, 2, "needs 2 values");
  ExpectFailure({"show", "a.bmt", "b.bmt"}, 2, "one project file at a time");
  ExpectFailure({"ports", "/dev/ttyS0"}, 2, "it takes no arguments");
}

TEST(CommandLine, OnlyACommandThatRunsStartsANewLog) {
  ScopedWorkDir dir;
  WriteProject("p.bmt", {{"C2(1/4)"}});
  const std::pair<std::vector<std::string>, bool> rows[] = {
      {{"--help"}, false}, {{"encode", "--help"}, false}, {{"encode", "p.bmt", "--version"}, false},
      {{"encode", "p.bmt", "-o", "p.BIN"}, false}, {{"power-off", "--port", "COM1", "x"}, false},  // one too many
      {{"frobnicate"}, false}, {{"check", "absent.bmt"}, true},  // it ran, and failed
      {{"encode", "p.bmt", "-o", "p.bin"}, true},
  };
  for (const auto& [args, starts] : rows) {
    WriteFile("Error.log", "from an earlier run\r\n");
    Quavrel(args);
    EXPECT_EQ(ReadFile("Error.log") == "from an earlier run\r\n", !starts) << args[0];
  }
}

// Whatever ports the machine has (none under Wine without a prefix of its
// own), the listing succeeds and ends with its count.
TEST(CommandLine, PortsListsThisMachinesPorts) {
  ScopedWorkDir dir;
  const std::string out = Ok({"ports"}).out;
  EXPECT_TRUE(Contains(out, " serial port") || Contains(out, "No serial ports found")) << out;
}
