#pragma once
// When a serial read or write on POSIX gives up, worked out from the Win32
// time-out record. Kept apart from the device so the arithmetic can be
// checked without a line or a clock.
#include <cstdint>

#include "sys/Serial.h"
#include "sys/posix/Tty.h"

namespace sys {
namespace serialwait {

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
  tty::Deadline Next(unsigned received, uint64_t lastByteUs) const;

 private:
  bool onFirstBytes_ = false;
  tty::Deadline total_ = tty::Deadline::Never();
  uint32_t intervalMs_ = 0;
};

// A write gives up after multiplier * count + constant ms; 0 means no limit.
tty::Deadline WriteDeadline(const CommTimeouts& timeouts, unsigned count, uint64_t nowUs);

}  // namespace serialwait
}  // namespace sys
