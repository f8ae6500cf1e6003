#include "sys/posix/SerialWait.h"

namespace sys {
namespace serialwait {
namespace {
using tty::Deadline;

const uint32_t kMaxDword = 0xFFFFFFFFu;

uint64_t TotalMs(uint32_t multiplier, uint32_t constant, unsigned count) {
  return static_cast<uint64_t>(multiplier) * count + constant;  // cannot overflow 64 bits
}
}  // namespace

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
