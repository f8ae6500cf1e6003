// Installs the crash filter and then faults as its argument says, so the
// tests can read the report it leaves in "Error.log".
#include <windows.h>

#include <string>

#include "diag/CrashReport.h"

namespace {
volatile int zero = 0;
}

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  InstallCrashHandler();
  const std::string fault = argv[1];
  if (fault == "access") *static_cast<volatile int*>(nullptr) = 1;
  if (fault == "divide") return 100 / zero;
  if (fault == "unknown") RaiseException(0xE0C0FFEE, 0, 0, nullptr);
  if (fault == "jump-to-null") {
    void (*volatile nowhere)() = nullptr;
    nowhere();
  }
  return 0;
}
