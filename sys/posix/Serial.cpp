// Serial ports on POSIX through termios, with the meaning Win32 gives each
// call. How the calls map:
//   CreateFileA         open (non-blocking), exclusive: flock and TIOCEXCL
//   GetCommState        tcgetattr (+ TCGETS2 for other rates) over the kept record
//   SetCommState        tcsetattr, at once (+ TCSETS2 for other rates)
//   SetCommTimeouts     kept; reads and writes wait with poll until a deadline
//   EscapeCommFunction  TIOCMBIS / TIOCMBIC for RTS and DTR, tcflow for XOFF
//                       and XON, TIOCSBRK / TIOCCBRK for the break
//   PurgeComm           tcflush for the clear flags
//   ClearCommError      nothing to clear: termios keeps no error counts
//   CloseHandle         TIOCNXCL, close
// Failures leave errno set, which is this layer's last error.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "sys/Serial.h"
#include "sys/posix/SerialCustomRate.h"
#include "sys/posix/SerialTermios.h"
#include "sys/posix/SerialWait.h"

namespace sys {
namespace {

using tty::Deadline;
using tty::MonotonicUs;

enum : unsigned { kDtrEnable = 1, kRtsEnable = 1 };

// Closes fd, keeping the errno of the failure that made us give up.
void CloseKeepingError(int fd) {
  int error = errno;
  close(fd);
  errno = error;
}

class PosixSerialDevice : public SerialDevice {
 public:
  PosixSerialDevice(int fd, const termios& tio) : fd_(fd) {
    std::memset(&kept_, 0, sizeof kept_);
    std::memset(&timeouts_, 0, sizeof timeouts_);
    // Opening a tty raises DTR and RTS, so both lines start enabled.
    kept_.fDtrControl = kDtrEnable;
    kept_.fRtsControl = kRtsEnable;
    serialtermios::ReadDcb(tio, tty::OutputRate(fd_, tio), &kept_);
  }

  ~PosixSerialDevice() override {
    // The exclusive flag belongs to the tty, not to this descriptor: it would
    // outlive us while anyone else (the simulated phone on a pty) holds it.
    ioctl(fd_, TIOCNXCL);
    // Output held by SETXOFF outlives us the same way on a pty (a serial
    // port's driver forgets it, and a break left on, when it closes).
    tcflow(fd_, TCOON);
    close(fd_);
  }

  bool GetCommState(Dcb* dcb) override {
    termios tio;
    if (tcgetattr(fd_, &tio) != 0) return false;
    serialtermios::ReadDcb(tio, tty::OutputRate(fd_, tio), &kept_);
    *dcb = kept_;
    return true;
  }

  bool SetCommState(const Dcb& dcb) override {
    // Rate 0 would hang the line up (B0 drops DTR); Win32 refuses it too.
    if (dcb.BaudRate == 0) {
      errno = EINVAL;
      return false;
    }
    termios before;
    if (tcgetattr(fd_, &before) != 0) return false;
    termios tio = before;
    if (!serialtermios::ApplyDcb(dcb, &tio)) return false;
    speed_t speed = serialtermios::StandardSpeed(dcb.BaudRate);
    if (speed != B0) {
      cfsetispeed(&tio, speed);
      cfsetospeed(&tio, speed);
    }
    if (tcsetattr(fd_, TCSANOW, &tio) != 0 && !OnlyFormatDropped(tio)) return false;
    if (speed == B0 && !serialrate::SetCustomRate(fd_, dcb.BaudRate)) {
      // Nothing half-set: put back what was there.
      int error = errno;
      tcsetattr(fd_, TCSANOW, &before);
      errno = error;
      return false;
    }
    kept_ = dcb;
    return true;
  }

  bool SetCommTimeouts(const CommTimeouts& timeouts) override {
    timeouts_ = timeouts;
    return true;
  }

  bool EscapeCommFunction(unsigned function) override {
    switch (function) {
      case kSetRts: return ChangeModemLine(TIOCMBIS, TIOCM_RTS);
      case kClrRts: return ChangeModemLine(TIOCMBIC, TIOCM_RTS);
      case kSetDtr: return ChangeModemLine(TIOCMBIS, TIOCM_DTR);
      case kClrDtr: return ChangeModemLine(TIOCMBIC, TIOCM_DTR);
      // Transmission acts as if XOFF or XON had come.
      case kSetXoff: return tcflow(fd_, TCOOFF) == 0;
      case kSetXon: return tcflow(fd_, TCOON) == 0;
      case kSetBreak: return ioctl(fd_, TIOCSBRK) == 0;
      case kClrBreak: return ioctl(fd_, TIOCCBRK) == 0;
      default: errno = EINVAL; return false;
    }
  }

  bool PurgeComm(unsigned flags) override {
    if (flags & ~static_cast<unsigned>(kPurgeTxAbort | kPurgeRxAbort | kPurgeTxClear | kPurgeRxClear)) {
      errno = EINVAL;
      return false;
    }
    // Reads and writes here are synchronous: no operation is ever pending,
    // so the abort flags have nothing to do. As on Windows they leave the
    // queues alone; only the clear flags discard what the queues hold.
    bool input = flags & kPurgeRxClear;
    bool output = flags & kPurgeTxClear;
    if (!input && !output) return true;
    int queue = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    return tcflush(fd_, queue) == 0;
  }

  bool ClearCommError(unsigned* errors) override {
    // termios reports no framing, parity or overrun counts, so there is
    // never an error state to report or clear.
    if (errors) *errors = 0;
    return true;
  }

  bool ReadFile(void* buffer, unsigned count, unsigned* read) override {
    unsigned got = 0;
    bool ok = ReadBytes(static_cast<unsigned char*>(buffer), count, &got);
    if (read) *read = got;
    return ok;
  }

  bool WriteFile(const void* bytes, unsigned count, unsigned* written) override {
    unsigned done = 0;
    bool ok = WriteBytes(static_cast<const unsigned char*>(bytes), count, &done);
    if (written) *written = done;
    return ok;
  }

 private:
  bool ChangeModemLine(unsigned long request, int lines) {
    if (ioctl(fd_, request, &lines) == 0) return true;
    // A pseudo-terminal has no modem-control lines and refuses the request.
    // The simulated phone sits on one, so there the change is taken as done.
    return errno == ENOTTY || errno == EINVAL;
  }

  // A driver that cannot take the character format (a pty forces 8 data
  // bits, no parity) drops it and applies the rest; the port still works, so
  // that counts as success, and GetCommState shows what the driver kept.
  bool OnlyFormatDropped(const termios& asked) {
    termios applied;
    if (errno != EINVAL || tcgetattr(fd_, &applied) != 0) return false;
    if (serialtermios::AppliedApartFromFormat(asked, applied)) return true;
    errno = EINVAL;
    return false;
  }

  bool ReadBytes(unsigned char* buffer, unsigned count, unsigned* got) {
    uint64_t start = MonotonicUs();
    serialwait::ReadPlan plan(timeouts_, count, start);
    uint64_t lastByte = start;
    bool hungUp = false;
    while (*got < count) {
      ssize_t n = ::read(fd_, buffer + *got, count - *got);
      if (n > 0) {
        *got += static_cast<unsigned>(n);
        lastByte = MonotonicUs();
        if (plan.ReturnsOnFirstBytes()) break;
        continue;
      }
      if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
      if (hungUp) {
        errno = EIO;
        return false;
      }
      uint64_t now = MonotonicUs();
      Deadline deadline = plan.Next(*got, lastByte);
      if (deadline.HasPassed(now)) break;
      pollfd wait{fd_, POLLIN, 0};
      int ready = poll(&wait, 1, deadline.PollTimeoutMs(now));
      if (ready < 0 && errno != EINTR) return false;
      // The line is gone (adapter unplugged, other end of a pty closed):
      // take what is still queued, then fail rather than wait for nothing.
      if (ready > 0 && (wait.revents & (POLLHUP | POLLERR | POLLNVAL))) hungUp = true;
    }
    return true;
  }

  bool WriteBytes(const unsigned char* bytes, unsigned count, unsigned* done) {
    Deadline deadline = serialwait::WriteDeadline(timeouts_, count, MonotonicUs());
    while (*done < count) {
      ssize_t n = ::write(fd_, bytes + *done, count - *done);
      if (n > 0) {
        *done += static_cast<unsigned>(n);
        continue;
      }
      if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
      uint64_t now = MonotonicUs();
      if (deadline.HasPassed(now)) break;
      pollfd wait{fd_, POLLOUT, 0};
      int ready = poll(&wait, 1, deadline.PollTimeoutMs(now));
      if (ready < 0 && errno != EINTR) return false;
      if (ready > 0 && !(wait.revents & POLLOUT) && (wait.revents & (POLLHUP | POLLERR | POLLNVAL))) {
        errno = EIO;
        return false;
      }
    }
    return true;
  }

  int fd_;
  Dcb kept_;
  CommTimeouts timeouts_;
};

class PosixSerialOpener : public SerialOpener {
 public:
  SerialDevice* Open(const char* name) override {
    if (name == nullptr || *name == '\0') {
      errno = ENOENT;
      return nullptr;
    }
    std::string path = serialtermios::DevicePath(name);
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    // No sharing, as CreateFileA is asked for: flock keeps out this and every
    // other program that locks the port; TIOCEXCL keeps out the ones that
    // do not (except root).
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      close(fd);
      errno = EBUSY;
      return nullptr;
    }
    termios tio;
    if (tcgetattr(fd, &tio) != 0) {  // a file or a device that is no line
      close(fd);
      errno = ENOTTY;
      return nullptr;
    }
    serialtermios::MakeRaw(&tio);
    if (tcsetattr(fd, TCSANOW, &tio) != 0 || ioctl(fd, TIOCEXCL) != 0) {
      CloseKeepingError(fd);
      return nullptr;
    }
    return new PosixSerialDevice(fd, tio);
  }
};

}  // namespace

SerialOpener& PlatformSerialOpener() {
  static PosixSerialOpener opener;
  return opener;
}

}  // namespace sys
