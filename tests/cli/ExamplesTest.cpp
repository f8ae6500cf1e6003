#include "tests/cli/CliTestSupport.h"

using namespace cli_testing;

// The bundled project is built from the note texts beside it; it must not
// drift from them. Every example must encode without a single problem.
TEST(Examples, MatchTheirSourcesAndAreClean) {
  ScopedWorkDir dir;
  const std::string examples = QUAVREL_EXAMPLES_DIR;
  RunResult built = Quavrel({"project", "demo.bmt",
                             "--melody", "1", "@" + examples + "/demo-1-morning-bell.txt", "--tempo", "1", "128",
                             "--melody", "2", "@" + examples + "/demo-2-quiet-steps.txt", "--tempo", "2", "100",
                             "--melody", "3", "@" + examples + "/demo-3-two-tone-alarm.txt", "--tempo", "3", "200",
                             "--melody", "4", "@" + examples + "/demo-4-little-march.txt", "--tempo", "4", "128"});
  ASSERT_EQ(built.code, 0) << built.err;
  EXPECT_EQ(ReadFile("demo.bmt"), ReadFile(examples + "/demo.bmt"));
  EXPECT_EQ(Quavrel({"check", "demo.bmt"}).out, "demo.bmt: no problems\n");
  for (const char* name : {"ode-to-joy.rtttl", "frere-jacques.rtttl"}) {
    EXPECT_EQ(Quavrel({"import-rtttl", examples + "/" + name, "-o", "tune.bmt"}).code, 0) << name;
    EXPECT_EQ(Quavrel({"check", "tune.bmt"}).out, "tune.bmt: no problems\n") << name;
  }
}
