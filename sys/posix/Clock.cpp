#include <time.h>

#include "sys/Clock.h"

namespace sys {
namespace {
class PosixClock : public Clock {
 public:
  uint32_t NowMs() override {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(now.tv_sec * 1000ull + now.tv_nsec / 1000000);
  }
  void SleepMs(uint32_t ms) override {
    timespec wait{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0) {
    }
  }
};
}  // namespace

Clock& RealClock() {
  static PosixClock clock;
  return clock;
}
}  // namespace sys
