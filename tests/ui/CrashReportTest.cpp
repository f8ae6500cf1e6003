// The crash report as a faulting program (crash_probe) leaves it in
// "Error.log", checked line by line against its layout.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <sstream>
#include <string>

#include "tests/support/TestSupport.h"
#include "tests/ui/ProgramDriver.h"

namespace {

// Checks the log a fault left: the log's header first, then the report.
// codeLines is 8, or 0 when nothing around EIP can be read.
void CheckReport(const std::string& log, const std::string& kind, unsigned long codeLines) {
  ASSERT_EQ(0u, log.find("Information for debug\r\n")) << log;
  const std::string h8 = "0x[0-9A-F]{8}", h4 = "0x[0-9A-F]{4}";
  std::smatch registers;
  ASSERT_TRUE(std::regex_search(log, registers, std::regex(
      " CS: 0x([0-9A-F]{4}) EIP: 0x([0-9A-F]{8}) EFLGS: " + h8 +
      "\t\r\nEBX: " + h8 + " SS: 0x([0-9A-F]{4}) ESP: 0x([0-9A-F]{8}) ")))
      << log;
  const std::string cs = registers[1], eip = registers[2], ss = registers[3], esp = registers[4];
  // Four bytes a line from EIP - 16, the line at EIP marked.
  std::string code;
  for (unsigned long group = 0; group < codeLines; ++group) {
    char label[32];
    snprintf(label, sizeof label, "0x%08lX:%s", std::stoul(eip, nullptr, 16) - 16 + 4 * group,
             group == 4 ? " - >" : "    ");
    code += std::string(label) + "[0-9A-F]{8}\r\n";
  }
  const std::string report =
      "Time of exception: \\d\\d:\\d\\d:\\d\\d\r\nType exception: " + kind + "\r\n\r\n" +
      "Registers:\t\r\n" +
      "EAX: " + h8 + " CS: 0x" + cs + " EIP: 0x" + eip + " EFLGS: " + h8 + "\t\r\n" +
      "EBX: " + h8 + " SS: 0x" + ss + " ESP: 0x" + esp + "   EBP: " + h8 + "\t\r\n" +
      "EC_X: " + h8 + " DS: " + h4 + " ESI: " + h8 + "    FS: " + h8 + "\t\r\n" +
      "EDX: " + h8 + " ES: " + h4 + " EDI: " + h8 + "    GS: " + h8 + "\r\n\r\n" +
      "Byte's at address CS:EIP = " + cs + ":" + eip + "\r\n" + code + "\r\n" +
      "Stack data \t  SS:ESP = " + ss + ":" + esp + "\r\n(([0-9A-F]{8} ){4}\r\n){4}\r\n" +
      "Load module's:\r\n";
  const size_t from = log.find("\r\nRelease version:\r\n") + 20;
  const size_t modules = log.find("Load module's:\r\n");
  ASSERT_NE(std::string::npos, modules) << log;
  EXPECT_TRUE(std::regex_match(log.substr(from, modules + 16 - from), std::regex(report))) << log;
  // One line a module, but not the program's own image.
  std::istringstream list(log.substr(modules + 16));
  int listed = 0;
  for (std::string line; std::getline(list, line); ++listed) {
    EXPECT_TRUE(std::regex_match(line, std::regex(".+ \tbase: 0x[0-9A-F]{8}\r"))) << line;
    EXPECT_EQ(std::string::npos, line.find("crash_probe")) << line;
  }
  EXPECT_GT(listed, 0);
}

}  // namespace

TEST(CrashReport, FaultsGetTheFullReportAndNoFaultDialog) {
  struct {
    const char* fault;
    DWORD exitCode;
    const char* kind;
    unsigned long codeLines;
  } cases[] = {
      {"access", EXCEPTION_ACCESS_VIOLATION, "Access violation", 8},
      {"divide", EXCEPTION_INT_DIVIDE_BY_ZERO, "Devide INT by zero", 8},
      {"unknown", 0xE0C0FFEE, "CODE 0xE0C0FFEE", 8},
      {"jump-to-null", EXCEPTION_ACCESS_VIOLATION, "Access violation", 0},  // EIP unreadable
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.fault);
    testing_support::ScopedWorkDir dir;
    ProgramDriver probe(dir.Path().string(),
                        "\"" + BesideThisProgram("crash_probe.exe") + "\" " + c.fault);
    // Ended by the filter with the fault's code, not held by a fault dialog.
    EXPECT_EQ(c.exitCode, probe.WaitForExit(60000));
    CheckReport(testing_support::ReadFile(dir.Path() / "Error.log"), c.kind, c.codeLines);
  }
}
