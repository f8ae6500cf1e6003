// The log's header and lines: nothing written is lost, cut but where a
// line is too long, or interleaved with another thread's.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <thread>

#include "diag/ErrorLog.h"
#include "tests/support/TestSupport.h"

namespace {

class ErrorLogTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetLogHeaderForTest(); }
  std::string Log() { return testing_support::ReadFile(dir.Path() / "Error.log"); }
  testing_support::ScopedWorkDir dir;
  testing_support::FakeSystemInfo system;
};

const std::string kHeader =
    "Information for debug\r\nOS: Windows NT ver 5.1 Build 2600\r\nProgramme name: tool.exe\r\n"
    "File: Error.log is created 06/12/2003 at 14:05:09\r\nUser name: operator\r\n\r\nRelease version:\r\n";

TEST_F(ErrorLogTest, FirstCallAppendsTheHeaderToWhatWasThereThenOnlyLines) {
  testing_support::WriteFile(dir.Path() / "Error.log", "old");
  LogError("WinMain: class Main==NULL,error code: %d", 2);
  LogMessage("Warring: Note and Tone: %s%s", "X9", "(1/4)");
  LogRaw("Type exception: ");
  LogMessage("Access violation");
  EXPECT_EQ(Log(), "old" + kHeader +
                       "14:05:09 WinMain: class Main==NULL,error code: 2\r\n"
                       "Warring: Note and Tone: X9(1/4)\r\n"
                       "Type exception: Access violation\r\n");
}

TEST_F(ErrorLogTest, HeaderNamesTheSystemAndTheUserOnlyWhereTheShellIsNewEnough) {
  const struct { sys::OsVersion version; unsigned shellMajor; bool shellPresent; std::string os; } rows[] = {
      {{1, 4, 10, 67766222, nullptr}, 3, true, "Windows ver 4.10"},  // no build number before major 5
      {{7, 6, 1, 0, "Linux"}, 6, false, "Linux ver 6.1 Build 0"},
  };
  for (const auto& row : rows) {
    ResetLogHeaderForTest();
    std::filesystem::remove(dir.Path() / "Error.log");
    system.version = row.version, system.shellMajor = row.shellMajor, system.shellPresent = row.shellPresent;
    LogRaw("");  // writes nothing but the header
    EXPECT_EQ(Log(), "Information for debug\r\nOS: " + row.os +
                         "\r\nProgramme name: tool.exe\r\nFile: Error.log is created 06/12/2003 at 14:05:09\r\n"
                         "\r\nRelease version:\r\n");
  }
  system.shellMajor = 6, system.shellPresent = true;
  EXPECT_FALSE(IsDllVersionAtLeast(4, 71, "shell32.dll"));  // 6.0: the minor compared by itself
  EXPECT_FALSE(IsDllVersionAtLeast(4, 0, "nothing.dll"));
}

TEST_F(ErrorLogTest, LongMessagesAreCut) {
  const std::string big(2000, 'm');
  LogMessage("%s", big.c_str());
  LogError("%s", big.c_str());
  EXPECT_EQ(Log().substr(kHeader.size()), std::string(1023, 'm') + "\r\n" + "14:05:09 " + std::string(1014, 'm'));
}

TEST_F(ErrorLogTest, ManyThreadsWriteWholeLinesAndOneHeader) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < 50; ++i) LogMessage("thread %d line %0.4d end", t, i);
    });
  for (std::thread& thread : threads) thread.join();
  const std::string log = Log();
  ASSERT_EQ(log.substr(0, kHeader.size()), kHeader);
  std::istringstream lines(log.substr(kHeader.size()));
  int count = 0;
  for (std::string line; std::getline(lines, line); ++count)
    ASSERT_TRUE(std::regex_match(line, std::regex("thread \\d line \\d{4} end\r"))) << line;
  EXPECT_EQ(count, 200);
}

}  // namespace
