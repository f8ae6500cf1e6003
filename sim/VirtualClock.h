#pragma once
// A clock that only moves when someone sleeps or waits on it. Installed with
// sys::SetClock, it lets exchanges that take minutes on a real line run in
// milliseconds, with every wait still measured exactly.
#include <atomic>
#include <cstdint>

#include "sys/Clock.h"

namespace sim {

class VirtualClock : public sys::Clock {
 public:
  explicit VirtualClock(uint64_t startUs = 0) : nowUs_(startUs) {}

  uint32_t NowMs() override { return static_cast<uint32_t>(nowUs_.load() / 1000); }
  void SleepMs(uint32_t ms) override { AdvanceUs(uint64_t{ms} * 1000); }

  uint64_t NowUs() const { return nowUs_.load(); }
  void AdvanceUs(uint64_t us) { nowUs_.fetch_add(us); }
  // Moves the clock forward to `us`; never backwards.
  void AdvanceToUs(uint64_t us);

 private:
  std::atomic<uint64_t> nowUs_;
};

}  // namespace sim
