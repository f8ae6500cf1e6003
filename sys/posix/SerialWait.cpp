#include "sys/posix/SerialWait.h"

#include <time.h>

#include <climits>

namespace sys {
namespace serialwait {
namespace {
const uint32_t kMaxDword = 0xFFFFFFFFu;

uint64_t TotalMs(uint32_t multiplier, uint32_t constant, unsigned count) {
  return static_cast<uint64_t>(multiplier) * count + constant;  // cannot overflow 64 bits
}
}  // namespace

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

ReadPlan::ReadPlan(const CommTimeouts& t, unsigned count, uint64_t nowUs) {
  if (t.ReadIntervalTimeout == kMaxDword) {
    if (t.ReadTotalTimeoutMultiplier == kMaxDword && t.ReadTotalTimeoutConstant != 0 &&
        t.ReadTotalTimeoutConstant != kMaxDword) {
      onFirstBytes_ = true;
      total_ = Deadline::AfterMs(nowUs, t.ReadTotalTimeoutConstant);
      return;
    }
    // Any other total with a MAXDWORD interval is a plain total time-out.
    total_ = Deadline::AfterMs(nowUs, TotalMs(t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant, count));
    return;
  }
  uint64_t total = TotalMs(t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant, count);
  intervalMs_ = t.ReadIntervalTimeout;
  if (total != 0 || intervalMs_ == 0) total_ = Deadline::AfterMs(nowUs, total);
}

Deadline ReadPlan::Next(unsigned received, uint64_t lastByteUs) const {
  if (received == 0 || intervalMs_ == 0) return total_;
  return Deadline::Earlier(total_, Deadline::AfterMs(lastByteUs, intervalMs_));
}

Deadline WriteDeadline(const CommTimeouts& t, unsigned count, uint64_t nowUs) {
  uint64_t total = TotalMs(t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant, count);
  return total == 0 ? Deadline::Never() : Deadline::AfterMs(nowUs, total);
}

}  // namespace serialwait
}  // namespace sys
