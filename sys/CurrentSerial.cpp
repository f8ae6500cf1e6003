// The process's current serial opener: the platform's unless a test or the
// command line has put its own in place.
#include <atomic>

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

}  // namespace sys
