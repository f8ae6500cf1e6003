#pragma once
// The part of the POSIX serial helpers that code outside the platform layer
// may use: the real-time deadlines that line waits run on, and a line's
// rate. Meant for code that drives a tty itself (the simulated phone's end
// of a pty, the tests' far ends); everything else reaches a serial line
// through sys/Serial.h. The other headers here are the platform's own.
#include <termios.h>

#include <cstdint>

namespace sys {
namespace tty {

// Microseconds on the monotonic clock. Line waits always run on real time,
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

// The output rate of the line at fd whose settings are tio: a fixed termios
// rate, else the custom rate the driver holds; 0 when it has neither.
uint32_t OutputRate(int fd, const termios& tio);

}  // namespace tty
}  // namespace sys
