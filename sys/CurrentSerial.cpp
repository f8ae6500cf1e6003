// The process's current serial opener: the platform's unless a test or the
// command line has put its own in place.
#include <atomic>
#include <cctype>
#include <cstring>

#include "sys/Serial.h"

namespace sys {
namespace {
std::atomic<SerialOpener*> currentOpener{nullptr};
}  // namespace

SerialOpener& CurrentSerialOpener() {
  SerialOpener* opener = currentOpener.load();
  return opener ? *opener : PlatformSerialOpener();
}
void SetSerialOpener(SerialOpener* opener) { currentOpener.store(opener); }

int ComPortNumber(const char* name) {
  if (!name || std::strlen(name) != 4 || name[3] < '1' || name[3] > '9') return 0;
  for (int i = 0; i < 3; ++i)
    if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) return 0;
  return name[3] - '0';
}

}  // namespace sys
