#pragma once
// Time as the phone protocol sees it: a millisecond tick and Sleep.
// Tests put a virtual clock in place so that time-outs cost no real time.
#include <cstdint>

namespace sys {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint32_t NowMs() = 0;             // monotonic milliseconds
  virtual void SleepMs(uint32_t ms) = 0;
};

Clock& RealClock();
Clock& CurrentClock();
// Replaces the process's clock; nullptr puts the real one back.
void SetClock(Clock* clock);

inline void Sleep(uint32_t ms) { CurrentClock().SleepMs(ms); }
inline uint32_t TickMs() { return CurrentClock().NowMs(); }
// Milliseconds left until deadlineMs (a TickMs value), 0 once it has passed;
// right across the tick's wrap-around.
inline uint32_t MsLeft(uint32_t deadlineMs) {
  const int32_t left = static_cast<int32_t>(deadlineMs - TickMs());
  return left > 0 ? static_cast<uint32_t>(left) : 0;
}

}  // namespace sys
