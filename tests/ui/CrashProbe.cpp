// Installs the crash filter and then faults as its argument says, so the
// tests can read the report it leaves in "Error.log".
#include <windows.h>

#include <cstring>

#include "diag/CrashReport.h"

namespace {
volatile int zero = 0;
}

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  InstallCrashHandler();
  const char* fault = argv[1];
  if (!strcmp(fault, "access")) {
    *static_cast<volatile int*>(nullptr) = 1;
  } else if (!strcmp(fault, "divide")) {
    return 100 / zero;
  } else if (!strcmp(fault, "unknown")) {
    RaiseException(0xE0C0FFEE, 0, 0, nullptr);
  } else if (!strcmp(fault, "jump-to-null")) {
    void (*volatile nowhere)() = nullptr;
    nowhere();
  }
  return 0;
}
