#include "sys/posix/Tty.h"

#include <time.h>

#include <climits>

#include "sys/posix/SerialCustomRate.h"
#include "sys/posix/SerialTermios.h"

namespace sys {
namespace tty {

uint64_t MonotonicUs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000000u + static_cast<uint64_t>(now.tv_nsec) / 1000u;
}

Deadline Deadline::Earlier(const Deadline& a, const Deadline& b) {
  if (a.never_) return b;
  if (b.never_) return a;
  return a.atUs_ <= b.atUs_ ? a : b;
}

int Deadline::PollTimeoutMs(uint64_t nowUs) const {
  if (never_) return -1;
  if (nowUs >= atUs_) return 0;
  uint64_t ms = (atUs_ - nowUs + 999) / 1000;
  return ms > static_cast<uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(ms);
}

uint32_t OutputRate(int fd, const termios& tio) {
  uint32_t baud = serialtermios::SpeedRate(cfgetospeed(&tio));
  if (baud == 0) serialrate::GetCustomRate(fd, &baud);
  return baud;
}

}  // namespace tty
}  // namespace sys
