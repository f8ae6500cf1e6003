#include "tests/cli/CliTestSupport.h"

using namespace cli_testing;

// Whatever ports the machine has (none under Wine without a prefix of its
// own), the listing succeeds and ends with its count.
TEST(Ports, ListsThisMachinesPortsAndTakesNoArguments) {
  ScopedWorkDir dir;
  RunResult run = Quavrel({"ports"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, " serial port") || Contains(run.out, "No serial ports found")) << run.out;
  ExpectFailure({"ports", "/dev/ttyS0"}, 2, "it takes no arguments");
}
