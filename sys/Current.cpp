// The process's current clock and system facts: the platform's
// unless a test has put its own in place.
#include <atomic>

#include "sys/Clock.h"
#include "sys/SystemInfo.h"

namespace sys {
namespace {
std::atomic<Clock*> currentClock{nullptr};
std::atomic<SystemInfo*> currentInfo{nullptr};
}  // namespace

Clock& CurrentClock() {
  Clock* clock = currentClock.load();
  return clock ? *clock : RealClock();
}
void SetClock(Clock* clock) { currentClock.store(clock); }

SystemInfo& CurrentSystemInfo() {
  SystemInfo* info = currentInfo.load();
  return info ? *info : PlatformSystemInfo();
}
void SetSystemInfo(SystemInfo* info) { currentInfo.store(info); }

}  // namespace sys
