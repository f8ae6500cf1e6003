#pragma once
// One simulated serial port with the phone at its far end: what the driver
// keeps between calls and opens (line settings, time-outs, modem lines, the
// receive buffer and its error flags), the transcript, and the failures a
// test may inject. Opened through SimSerialDevice.
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

#include "sim/SimPhone.h"
#include "sim/Transcript.h"
#include "sim/VirtualClock.h"
#include "sys/Serial.h"

namespace sim {

// Failures of the device itself, for tests of how callers deal with them.
struct DeviceFaults {
  // Asked before each write (numbered from 1 over the line's life): true
  // makes that write move no byte.
  std::function<bool(int writeNumber, const std::vector<uint8_t>& bytes)> writeMovesNothing;
  bool failedWriteIsError = false;  // such a write fails instead of timing out
  bool getCommStateFails = false;
  bool setCommStateFails = false;
  bool setTimeoutsFails = false;
  bool escapeFails = false;  // as on a pseudo-terminal without modem lines
  bool purgeFails = false;
};

// ClearCommError flags, as in Win32.
enum : unsigned { kErrorRxOverflow = 0x1, kErrorOverrun = 0x2, kErrorParity = 0x4, kErrorFrame = 0x8 };

class SimLine {
 public:
  SimLine(SimPhone& phone, VirtualClock& clock);

  SimPhone& Phone() { return phone_; }
  VirtualClock& Clock() { return clock_; }
  Transcript& Log() { return transcript_; }
  // Set before the port is opened, or under Lock().
  DeviceFaults faults;

  // The record the driver reports before anyone set one (9600 8N1, DTR and
  // RTS control disabled, as a port fresh from a driver may say).
  void SetDriverDcb(const sys::Dcb& dcb);
  sys::Dcb CurrentDcb();
  sys::CommTimeouts CurrentTimeouts();
  bool Dtr();
  bool Rts();
  bool IsOpen();
  int OpenCount();
  // Serializes with the device's calls, for looking at the phone while a
  // job runs on another thread.
  std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(mutex_); }

 private:
  friend class SimSerialDevice;
  friend class SimSerialOpener;
  WireSettings HostSettings() const;
  // Moves the bytes that have reached the host by `untilUs` into the receive
  // buffer, as the host's settings read them.
  void Pull(uint64_t untilUs);
  // Pulls one more byte if it arrives by `deadlineUs`; returns its arrival.
  bool PullNext(uint64_t deadlineUs, uint64_t* arrivedUs);
  void SetDtrLevel(bool high, uint64_t atUs);
  void SetRtsLevel(bool high, uint64_t atUs);

  SimPhone& phone_;
  VirtualClock& clock_;
  Transcript transcript_;
  std::mutex mutex_;
  sys::Dcb dcb_{};
  sys::CommTimeouts timeouts_{};
  bool dtr_ = false;
  bool rts_ = false;
  bool open_ = false;
  int openCount_ = 0;
  int writeNumber_ = 0;
  std::deque<uint8_t> received_;
  unsigned errors_ = 0;
};

}  // namespace sim
