#include <gtest/gtest.h>

#include "tests/cli/CliTestSupport.h"

using namespace cli_testing;
using testing_support::ScopedWorkDir;

namespace {
const std::string kExamples = QUAVREL_EXAMPLES_DIR;
}

// The bundled project is built from the note texts beside it; it must not
// drift from them. Every example must encode without a single problem.
TEST(Examples, MatchTheirSourcesAndAreClean) {
  ScopedWorkDir dir;
  RunResult built = Quavrel({"project", "demo.bmt",
                             "--melody", "1", "@" + kExamples + "/demo-1-morning-bell.txt", "--tempo", "1", "128",
                             "--melody", "2", "@" + kExamples + "/demo-2-quiet-steps.txt", "--tempo", "2", "100",
                             "--melody", "3", "@" + kExamples + "/demo-3-two-tone-alarm.txt", "--tempo", "3", "200",
                             "--melody", "4", "@" + kExamples + "/demo-4-little-march.txt", "--tempo", "4", "128"});
  ASSERT_EQ(built.code, 0) << built.err;
  EXPECT_EQ(ReadFile("demo.bmt"), ReadFile(kExamples + "/demo.bmt"));
  EXPECT_EQ(Quavrel({"check", kExamples + "/demo.bmt"}).code, 0);
  for (const char* name : {"ode-to-joy.rtttl", "frere-jacques.rtttl"}) {
    EXPECT_EQ(Quavrel({"import-rtttl", kExamples + "/" + name, "-o", "tune.bmt"}).code, 0) << name;
    EXPECT_EQ(Quavrel({"check", "tune.bmt"}).code, 0) << name;
  }
}
