#include <gtest/gtest.h>

#include "diag/ProgramPath.h"
#include "sys/Path.h"
#include "tests/support/TestSupport.h"

namespace {

TEST(ProgramPath, QuotedUnquotedAndSingleQuote) {
  testing_support::FakeSystemInfo system;
  const std::string sep(1, sys::kDirSeparator);
  system.commandLine = "\"D:" + sep + "Tools" + sep + "prog.exe\" ";
  EXPECT_EQ(std::string(ProgramPath()), "D:" + sep + "Tools" + sep + "prog.exe");
  EXPECT_STREQ(ProgramFileName(), "prog.exe");
  ASSERT_NE(ProgramDirectory(), nullptr);
  EXPECT_EQ(std::string(ProgramDirectory()), "D:" + sep + "Tools" + sep);

  system.commandLine = "prog.exe";
  EXPECT_STREQ(ProgramPath(), "prog.exe");
  EXPECT_STREQ(ProgramFileName(), "prog.exe");
  EXPECT_EQ(ProgramDirectory(), nullptr);

  system.commandLine = "\"prog.exe";
  EXPECT_STREQ(ProgramPath(), "\"prog.exe");

  system.commandLine = "\"\" x";
  EXPECT_STREQ(ProgramPath(), "");
}

}  // namespace
