#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "diag/ErrorLog.h"
#include "sys/File.h"
#include "tests/support/TestSupport.h"

namespace {

using testing_support::FakeSystemInfo;
using testing_support::ReadFile;
using testing_support::ScopedWorkDir;

class ErrorLogTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetLogHeaderForTest(); }
  std::string Log() { return ReadFile(dir.Path() / "Error.log"); }
  ScopedWorkDir dir;
  FakeSystemInfo system;
};

const char kHeader[] =
    "Information for debug\r\n"
    "OS: Windows NT ver 5.1 Build 2600\r\n"
    "Programme name: tool.exe\r\n"
    "File: Error.log is created 06/12/2003 at 14:05:09\r\n"
    "User name: operator\r\n"
    "\r\n"
    "Release version:\r\n";

TEST_F(ErrorLogTest, FirstCallWritesTheHeaderThenOnlyLines) {
  LogError("WinMain: class Main==NULL,error code: %d", 2);
  LogMessage("Warring: Note and Tone: %s%s", "X9", "(1/4)");
  LogRaw("Type exception: ");
  LogMessage("Access violation");
  EXPECT_EQ(Log(), std::string(kHeader) +
                       "14:05:09 WinMain: class Main==NULL,error code: 2\r\n"
                       "Warring: Note and Tone: X9(1/4)\r\n"
                       "Type exception: Access violation\r\n");
}

TEST_F(ErrorLogTest, HeaderVariants) {
  system.version = {1, 4, 10, 67766222, nullptr};  // no build number before major 5
  system.shellMajor = 3;                            // too old: no user name line
  LogRaw("");                                       // writes nothing but the header
  EXPECT_EQ(Log(),
            "Information for debug\r\nOS: Windows ver 4.10\r\n"
            "Programme name: tool.exe\r\n"
            "File: Error.log is created 06/12/2003 at 14:05:09\r\n"
            "\r\nRelease version:\r\n");
}

TEST_F(ErrorLogTest, OtherPlatformIdsAndMissingShell) {
  system.version = {7, 6, 1, 0, "Linux"};
  system.shellPresent = false;
  LogMessage("");
  std::string log = Log();
  EXPECT_NE(log.find("OS: Linux ver 6.1 Build 0\r\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("User name"), std::string::npos);
  EXPECT_EQ(log.substr(log.size() - 22), "\r\nRelease version:\r\n\r\n");  // the empty line
}

TEST_F(ErrorLogTest, AppendsToAFileLeftFromElsewhere) {
  testing_support::WriteFile(dir.Path() / "Error.log", "old");
  LogMessage("new");
  EXPECT_EQ(Log(), std::string("old") + kHeader + "new\r\n");
}

TEST_F(ErrorLogTest, LongMessagesAreCut) {
  std::string big(2000, 'm');
  LogMessage("%s", big.c_str());
  LogError("%s", big.c_str());
  std::string log = Log().substr(sizeof kHeader - 1);
  EXPECT_EQ(log, std::string(1023, 'm') + "\r\n" + "14:05:09 " + std::string(1014, 'm'));
}

TEST_F(ErrorLogTest, ManyThreadsWriteWholeLinesAndOneHeader) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < 50; ++i) LogMessage("thread %d line %0.4d end", t, i);
    });
  for (std::thread& thread : threads) thread.join();
  std::string log = Log();
  ASSERT_EQ(log.substr(0, sizeof kHeader - 1), kHeader);
  EXPECT_EQ(log.find("Information for debug", 1), std::string::npos);
  size_t lines = 0;
  for (size_t pos = sizeof kHeader - 1; pos < log.size(); ++lines) {
    size_t end = log.find("\r\n", pos);
    ASSERT_NE(end, std::string::npos);
    std::string line = log.substr(pos, end - pos);
    ASSERT_EQ(line.substr(0, 7), "thread ");
    ASSERT_EQ(line.substr(line.size() - 4), " end") << line;
    pos = end + 2;
  }
  EXPECT_EQ(lines, 200u);
}

TEST_F(ErrorLogTest, FileHandleWrites) {
  FileHandle file;
  ASSERT_TRUE(file.Open("plain.txt", sys::Disposition::OpenAlways));
  EXPECT_EQ(file.Write("abcdef", 3), 3u);
  EXPECT_EQ(file.Write("xy", 5), 0u);  // more than the text holds: nothing
  EXPECT_EQ(file.Write(TextString("gh")), 2u);
  file.Close();
  file.Close();
  EXPECT_EQ(ReadFile(dir.Path() / "plain.txt"), "abcgh");
}

TEST_F(ErrorLogTest, DllVersionIsComparedPartByPart) {
  system.shellMajor = 6;
  system.shellMinor = 0;
  EXPECT_TRUE(IsDllVersionAtLeast(4, 0, "shell32.dll"));
  EXPECT_FALSE(IsDllVersionAtLeast(4, 71, "shell32.dll"));  // minor compared by itself
  EXPECT_FALSE(IsDllVersionAtLeast(4, 0, "nothing.dll"));
}

}  // namespace
