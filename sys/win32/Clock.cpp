#include <windows.h>

#include "sys/Clock.h"

namespace sys {
namespace {
class Win32Clock : public Clock {
 public:
  uint32_t NowMs() override { return GetTickCount(); }
  void SleepMs(uint32_t ms) override { ::Sleep(ms); }
};
}  // namespace

Clock& RealClock() {
  static Win32Clock clock;
  return clock;
}
}  // namespace sys
