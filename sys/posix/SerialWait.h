#pragma once
// When a serial read or write on POSIX gives up, worked out from the Win32
// time-out record. Kept apart from the device so the arithmetic can be
// checked without a line or a clock.
#include <cstdint>

#include "sys/Serial.h"

namespace sys {
namespace serialwait {

// Microseconds on the monotonic clock. Serial waits always run on real time,
// whatever clock the protocol code has been given.
uint64_t MonotonicUs();

class Deadline {
 public:
  static Deadline Never() { return Deadline(true, 0); }
  static Deadline AfterMs(uint64_t nowUs, uint64_t ms) { return Deadline(false, nowUs + ms * 1000); }
  static Deadline Earlier(const Deadline& a, const Deadline& b);

  bool HasPassed(uint64_t nowUs) const { return !never_ && nowUs >= atUs_; }
  // The time-out to hand poll(): -1 for no limit, 0 once passed, otherwise
  // the time left rounded up to whole milliseconds so a wait never ends early.
  int PollTimeoutMs(uint64_t nowUs) const;

 private:
  Deadline(bool never, uint64_t atUs) : never_(never), atUs_(atUs) {}
  bool never_;
  uint64_t atUs_;
};

// How one ReadFile of `count` bytes waits, by the Win32 rules:
// - interval MAXDWORD with both totals 0: return what is there at once;
// - interval MAXDWORD, multiplier MAXDWORD, constant between: return as soon
//   as anything came, or empty after the constant;
// - otherwise wait for all bytes until multiplier * count + constant ms have
//   passed, and (interval non-zero) until interval ms pass between bytes.
// Where Win32 would wait without any limit (every field 0) the read returns
// at once instead, so a port that was never given time-outs cannot hang.
// An interval alone still waits for the first byte without limit, as asked.
class ReadPlan {
 public:
  ReadPlan(const CommTimeouts& timeouts, unsigned count, uint64_t nowUs);

  bool ReturnsOnFirstBytes() const { return onFirstBytes_; }
  // The deadline in force once `received` bytes are in, the last of them at
  // lastByteUs.
  Deadline Next(unsigned received, uint64_t lastByteUs) const;

 private:
  bool onFirstBytes_ = false;
  Deadline total_ = Deadline::Never();
  uint32_t intervalMs_ = 0;
};

// A write gives up after multiplier * count + constant ms; 0 means no limit.
Deadline WriteDeadline(const CommTimeouts& timeouts, unsigned count, uint64_t nowUs);

}  // namespace serialwait
}  // namespace sys
