// Stands in for the platform's serial opener until it lands.
#include <atomic>

#include "sys/Serial.h"

namespace sys {
namespace {
std::atomic<SerialOpener*> current{nullptr};
class NoPorts : public SerialOpener {
 public:
  SerialDevice* Open(const char*) override { return nullptr; }
};
}  // namespace
SerialOpener& PlatformSerialOpener() {
  static NoPorts none;
  return none;
}
SerialOpener& CurrentSerialOpener() {
  SerialOpener* opener = current.load();
  return opener ? *opener : PlatformSerialOpener();
}
void SetSerialOpener(SerialOpener* opener) { current.store(opener); }
}  // namespace sys
