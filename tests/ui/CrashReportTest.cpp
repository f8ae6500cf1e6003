// The crash report as a faulting program (crash_probe) leaves it in
// "Error.log", checked line by line against its layout.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>

#include "tests/support/TestSupport.h"
#include "tests/ui/ProgramDriver.h"

namespace {

// Checks the log a fault left: the log's header first, then the report.
// codeLines is 8, or 0 when nothing around EIP can be read. The registers'
// layout is not checked, only that EIP is among them.
void CheckReport(const std::string& log, const std::string& kind, unsigned long codeLines) {
  ASSERT_EQ(0u, log.find("Information for debug\r\n")) << log;
  std::smatch eip;
  ASSERT_TRUE(std::regex_search(log, eip, std::regex("\r\nRelease version:\r\nTime of exception: \\d\\d:\\d\\d:\\d\\d\r\n"
                                                     "Type exception: " + kind + "\r\n\r\nRegisters:\t\r\n.+ EIP: 0x([0-9A-F]{8}) ")))
      << log;
  // Four bytes a line from EIP - 16, the line at EIP marked.
  std::string code;
  for (unsigned long group = 0; group < codeLines; ++group) {
    char label[32];
    snprintf(label, sizeof label, "0x%08lX:%s", std::stoul(eip[1], nullptr, 16) - 16 + 4 * group,
             group == 4 ? " - >" : "    ");
    code += std::string(label) + "[0-9A-F]{8}\r\n";
  }
  EXPECT_TRUE(std::regex_search(log, std::regex("\r\n\r\nByte's at address CS:EIP = [0-9A-F]{4}:" + eip[1].str() + "\r\n" +
                                                code + "\r\nStack data \t  SS:ESP = [0-9A-F]{4}:[0-9A-F]{8}\r\n"
                                                "(([0-9A-F]{8} ){4}\r\n){4}\r\nLoad module's:\r\n"
                                                "(.+ \tbase: 0x[0-9A-F]{8}\r\n)+$")))
      << log;
  // The modules listed, but not the program's own image.
  EXPECT_EQ(std::string::npos, log.find("crash_probe", log.find("Load module's:"))) << log;
}

}  // namespace

TEST(CrashReport, FaultsGetTheFullReportAndNoFaultDialog) {
  const struct { const char* fault; DWORD exitCode; const char* kind; unsigned long codeLines; } cases[] = {
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
