// The crash report as a faulting program (crash_probe) leaves it in
// "Error.log", checked line by line against its layout.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"
#include "tests/ui/ProgramDriver.h"

namespace {

DWORD RunProbe(const std::string& fault) {
  std::string command = "\"" + BesideThisProgram("crash_probe.exe") + "\" " + fault;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return 0xFFFFFFFF;
  WaitForSingleObject(process.hProcess, 60000);
  DWORD code = 0xFFFFFFFF;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

// The report's lines after the log's header, which must come first.
std::vector<std::string> ReportLines(const testing_support::ScopedWorkDir& dir) {
  std::string log = testing_support::ReadFile(dir.Path() / "Error.log");
  EXPECT_EQ(0u, log.find("Information for debug\r\n"));
  size_t from = log.find("\r\nRelease version:\r\n");
  std::vector<std::string> lines;
  if (from == std::string::npos) return lines;
  for (from += 20; from < log.size();) {
    size_t end = log.find("\r\n", from);
    if (end == std::string::npos) end = log.size();
    lines.push_back(log.substr(from, end - from));
    from = end + 2;
  }
  return lines;
}

std::string Hex8(unsigned long value) {
  char text[16];
  snprintf(text, sizeof text, "%08lX", value);
  return text;
}

// Checks a full report; codeLines is 8, or 0 when EIP is unreadable.
void CheckReport(const std::vector<std::string>& lines, const std::string& kind, int codeLines) {
  const std::string h8 = "0x[0-9A-F]{8}", h4 = "0x[0-9A-F]{4}";  // selectors: four digits
  std::vector<std::string> head = {
      "Time of exception: \\d\\d:\\d\\d:\\d\\d", "Type exception: " + kind, "", "Registers:\t",
      "EAX: " + h8 + " CS: 0x([0-9A-F]{4}) EIP: 0x([0-9A-F]{8}) EFLGS: " + h8 + "\t",
      "EBX: " + h8 + " SS: 0x([0-9A-F]{4}) ESP: 0x([0-9A-F]{8})   EBP: " + h8 + "\t",
      "EC_X: " + h8 + " DS: " + h4 + " ESI: " + h8 + "    FS: " + h8 + "\t",
      "EDX: " + h8 + " ES: " + h4 + " EDI: " + h8 + "    GS: " + h8, ""};
  ASSERT_GT(lines.size(), head.size() + codeLines + 8u);
  std::string cs, ss;
  unsigned long eip = 0, esp = 0;
  for (size_t i = 0; i < head.size(); ++i) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines[i], m, std::regex(head[i]))) << i << ": " << lines[i];
    if (i == 4) cs = m[1], eip = std::stoul(m[2], nullptr, 16);
    if (i == 5) ss = m[1], esp = std::stoul(m[2], nullptr, 16);
  }
  size_t at = head.size();
  EXPECT_EQ("Byte's at address CS:EIP = " + cs + ":" + Hex8(eip), lines[at++]);
  for (int group = 0; group < codeLines; ++group) {
    std::string label = group == 4 ? "0x" + Hex8(eip) + ": - >"
                                   : "0x" + Hex8(eip - 16 + 4 * group) + ":    ";
    EXPECT_TRUE(std::regex_match(lines[at++], std::regex(label + "[0-9A-F]{8}"))) << lines[at - 1];
  }
  EXPECT_EQ("", lines[at++]);
  EXPECT_EQ("Stack data \t  SS:ESP = " + ss + ":" + Hex8(esp), lines[at++]);
  for (int row = 0; row < 4; ++row)
    EXPECT_TRUE(std::regex_match(lines[at++], std::regex("([0-9A-F]{8} ){4}"))) << lines[at - 1];
  EXPECT_EQ("", lines[at++]);
  EXPECT_EQ("Load module's:", lines[at++]);
  ASSERT_LT(at, lines.size());
  for (; at < lines.size(); ++at) {
    EXPECT_TRUE(std::regex_match(lines[at], std::regex(".+ \tbase: 0x[0-9A-F]{8}"))) << lines[at];
    EXPECT_EQ(std::string::npos, lines[at].find("crash_probe")) << "the program's own image";
  }
}

}  // namespace

TEST(CrashReport, FaultsGetTheFullReportAndNoFaultDialog) {
  struct {
    const char* fault;
    DWORD exitCode;
    const char* kind;
    int codeLines;
  } cases[] = {
      {"access", EXCEPTION_ACCESS_VIOLATION, "Access violation", 8},
      {"divide", EXCEPTION_INT_DIVIDE_BY_ZERO, "Devide INT by zero", 8},
      {"unknown", 0xE0C0FFEE, "CODE 0xE0C0FFEE", 8},
      {"jump-to-null", EXCEPTION_ACCESS_VIOLATION, "Access violation", 0},  // EIP unreadable
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.fault);
    testing_support::ScopedWorkDir dir;
    EXPECT_EQ(c.exitCode, RunProbe(c.fault));
    CheckReport(ReportLines(dir), c.kind, c.codeLines);
  }
}

TEST(CrashReport, MissingRecordsEndTheReportEarly) {
  testing_support::ScopedWorkDir dir;
  EXPECT_EQ(3u, RunProbe("no-pointers"));  // FatalExit(3)
  std::vector<std::string> lines = ReportLines(dir);
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ(0u, lines[0].find("Time of exception: "));
  EXPECT_EQ("Fatal Error in MyExceptionsHandler", lines[1]);

  testing_support::ScopedWorkDir other;
  EXPECT_EQ(1u, RunProbe("no-registers"));  // EXCEPTION_EXECUTE_HANDLER
  lines = ReportLines(other);
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ(0u, lines[0].find("Time of exception: "));
}
