#include <gtest/gtest.h>

#include "diag/ProgramPath.h"
#include "sys/Path.h"
#include "tests/support/TestSupport.h"

namespace {

TEST(ProgramPath, QuotedUnquotedAndSingleQuote) {
  testing_support::FakeSystemInfo system;
  const std::string sep(1, sys::kDirSeparator), dir = "D:" + sep + "Tools" + sep;
  system.commandLine = "\"" + dir + "prog.exe\" ";
  EXPECT_EQ(std::string(ProgramPath()), dir + "prog.exe");
  EXPECT_STREQ(ProgramFileName(), "prog.exe");
  EXPECT_STREQ(ProgramDirectory(), dir.c_str());

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
