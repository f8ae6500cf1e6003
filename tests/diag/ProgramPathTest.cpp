#include <gtest/gtest.h>

#include "diag/ProgramPath.h"
#include "sys/Path.h"
#include "tests/support/TestSupport.h"

namespace {

TEST(ProgramPath, QuotedUnquotedAndSingleQuote) {
  testing_support::FakeSystemInfo system;  // "D:\Tools\tool.exe", quoted and followed by a space
  const std::string dir = std::string("D:") + sys::kDirSeparator + "Tools" + sys::kDirSeparator;
  EXPECT_EQ(std::string(ProgramPath()) + "|" + ProgramFileName() + "|" + ProgramDirectory(),
            dir + "tool.exe|tool.exe|" + dir);
  system.commandLine = "prog.exe";
  EXPECT_STREQ(ProgramFileName(), "prog.exe");
  EXPECT_EQ(ProgramDirectory(), nullptr);
  system.commandLine = "\"prog.exe";
  EXPECT_STREQ(ProgramPath(), "\"prog.exe");
  system.commandLine = "\"\" x";
  EXPECT_STREQ(ProgramPath(), "");
}

}  // namespace
