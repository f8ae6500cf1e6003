// The crash report as a faulting program leaves it in "Error.log".
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace {

std::string BesideThisProgram(const char* name) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path);
  return folder.substr(0, folder.find_last_of("\\/") + 1) + name;
}

// Runs crash_probe with the fault in the current directory; its exit code.
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

// The lines after the log's header, which must come first.
std::vector<std::string> ReportLines(const testing_support::ScopedWorkDir& dir) {
  std::string log = testing_support::ReadFile(dir.Path() / "Error.log");
  EXPECT_EQ(0u, log.find("Information for debug\r\n"));
  size_t at = log.find("\r\nRelease version:\r\n");
  if (at == std::string::npos) return {};
  std::vector<std::string> lines;
  for (size_t from = at + 20; from < log.size();) {
    size_t end = log.find("\r\n", from);
    if (end == std::string::npos) end = log.size();
    lines.push_back(log.substr(from, end - from));
    from = end + 2;
  }
  return lines;
}

unsigned long Hex(const std::string& text) { return std::stoul(text, nullptr, 16); }

struct Report {
  std::vector<std::string> lines;
  unsigned long eip = 0, esp = 0;
  size_t next = 0;  // the line after the register block
};

// Checks the fixed head of a full report and reads EIP and ESP from it.
Report CheckHead(std::vector<std::string> lines, const std::string& kind) {
  Report report;
  report.lines = lines;
  EXPECT_GE(lines.size(), 10u);
  if (lines.size() < 10) return report;
  EXPECT_TRUE(std::regex_match(lines[0], std::regex("Time of exception: \\d\\d:\\d\\d:\\d\\d")))
      << lines[0];
  EXPECT_EQ("Type exception: " + kind, lines[1]);
  EXPECT_EQ("", lines[2]);
  EXPECT_EQ("Registers:\t", lines[3]);
  const std::string h8 = "0x([0-9A-F]{8})", h4 = "0x([0-9A-F]{4})";
  std::smatch m;
  EXPECT_TRUE(std::regex_match(lines[4], m,
                               std::regex("EAX: " + h8 + " CS: " + h4 + " EIP: " + h8 +
                                          " EFLGS: " + h8 + "\t")))
      << lines[4];
  if (m.size() > 3) report.eip = Hex(m[3]);
  EXPECT_TRUE(std::regex_match(lines[5], m,
                               std::regex("EBX: " + h8 + " SS: " + h4 + " ESP: " + h8 +
                                          "   EBP: " + h8 + "\t")))
      << lines[5];
  if (m.size() > 3) report.esp = Hex(m[3]);
  EXPECT_TRUE(std::regex_match(
      lines[6], std::regex("EC_X: " + h8 + " DS: " + h4 + " ESI: " + h8 + "    FS: " + h8 + "\t")))
      << lines[6];
  EXPECT_TRUE(std::regex_match(
      lines[7], std::regex("EDX: " + h8 + " ES: " + h4 + " EDI: " + h8 + "    GS: " + h8)))
      << lines[7];
  EXPECT_EQ("", lines[8]);
  EXPECT_TRUE(std::regex_match(lines[9], m, std::regex("Byte's at address CS:EIP = [0-9A-F]{4}:([0-9A-F]{8})")))
      << lines[9];
  if (m.size() > 1) {
    EXPECT_EQ(report.eip, Hex(m[1]));
  }
  report.next = 10;
  return report;
}

// The code-byte lines, the stack and the module list, from report.next on.
void CheckTail(const Report& report, bool codeReadable) {
  const auto& lines = report.lines;
  size_t at = report.next;
  if (codeReadable) {
    ASSERT_GE(lines.size(), at + 8);
    for (int group = 0; group < 8; ++group) {
      const std::string& line = lines[at + group];
      char label[32];
      if (group == 4)
        snprintf(label, sizeof label, "0x%08lX: - >", report.eip);
      else
        snprintf(label, sizeof label, "0x%08lX:    ", report.eip - 16 + 4 * group);
      EXPECT_EQ(label, line.substr(0, strlen(label)));
      EXPECT_TRUE(std::regex_match(line.substr(strlen(label)), std::regex("[0-9A-F]{8}"))) << line;
    }
    at += 8;
  }
  ASSERT_GT(lines.size(), at + 7);
  EXPECT_EQ("", lines[at++]);
  char stackLine[64];
  snprintf(stackLine, sizeof stackLine, ":%08lX", report.esp);
  EXPECT_EQ(0u, lines[at].find("Stack data \t  SS:ESP = ")) << lines[at];
  EXPECT_NE(std::string::npos, lines[at++].find(stackLine));
  for (int row = 0; row < 4; ++row)
    EXPECT_TRUE(std::regex_match(lines[at++], std::regex("([0-9A-F]{8} ){4}"))) << lines[at - 1];
  EXPECT_EQ("", lines[at++]);
  EXPECT_EQ("Load module's:", lines[at++]);
  int modules = 0;
  for (; at < lines.size() && !lines[at].empty(); ++at, ++modules) {
    EXPECT_TRUE(std::regex_match(lines[at], std::regex(".+ \tbase: 0x[0-9A-F]{8}"))) << lines[at];
    EXPECT_EQ(std::string::npos, lines[at].find("crash_probe")) << "the program's own image";
  }
  EXPECT_GT(modules, 0);
  EXPECT_EQ(lines.size(), at) << "nothing after the modules";
}

}  // namespace

TEST(CrashReport, AccessViolationFullReportWithoutFaultDialog) {
  testing_support::ScopedWorkDir dir;
  EXPECT_EQ(EXCEPTION_ACCESS_VIOLATION, RunProbe("access"));
  Report report = CheckHead(ReportLines(dir), "Access violation");
  CheckTail(report, true);
}

TEST(CrashReport, FaultKindsByCode) {
  {
    testing_support::ScopedWorkDir dir;
    EXPECT_EQ(EXCEPTION_INT_DIVIDE_BY_ZERO, RunProbe("divide"));
    CheckTail(CheckHead(ReportLines(dir), "Devide INT by zero"), true);
  }
  {
    testing_support::ScopedWorkDir dir;
    EXPECT_EQ(0xE0C0FFEEu, RunProbe("unknown"));
    CheckTail(CheckHead(ReportLines(dir), "CODE 0xE0C0FFEE"), true);
  }
}

TEST(CrashReport, UnreadableCodeLeavesTheByteLinesOut) {
  testing_support::ScopedWorkDir dir;
  EXPECT_EQ(EXCEPTION_ACCESS_VIOLATION, RunProbe("jump-to-null"));
  Report report = CheckHead(ReportLines(dir), "Access violation");
  EXPECT_EQ(0u, report.eip);
  CheckTail(report, false);
}

TEST(CrashReport, MissingRecordsEndTheReportEarly) {
  {
    testing_support::ScopedWorkDir dir;
    EXPECT_EQ(3u, RunProbe("no-pointers"));
    std::vector<std::string> lines = ReportLines(dir);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(0u, lines[0].find("Time of exception: "));
    EXPECT_EQ("Fatal Error in MyExceptionsHandler", lines[1]);
  }
  {
    testing_support::ScopedWorkDir dir;
    EXPECT_EQ(1u, RunProbe("no-registers"));  // EXCEPTION_EXECUTE_HANDLER
    std::vector<std::string> lines = ReportLines(dir);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(0u, lines[0].find("Time of exception: "));
  }
}
