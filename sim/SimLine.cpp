#include "sim/SimLine.h"

namespace sim {
namespace {
constexpr size_t kReceiveBufferSize = 4096;
}

SimLine::SimLine(SimPhone& phone, VirtualClock& clock) : phone_(phone), clock_(clock) {
  dcb_.DCBlength = sizeof(sys::Dcb);
  dcb_.BaudRate = 9600;
  dcb_.fBinary = 1;
  dcb_.ByteSize = 8;
  dcb_.XonLim = 2048;
  dcb_.XoffLim = 512;
  dcb_.XonChar = 0x11;
  dcb_.XoffChar = 0x13;
}

void SimLine::SetDriverDcb(const sys::Dcb& dcb) {
  std::lock_guard<std::mutex> lock(mutex_);
  dcb_ = dcb;
}

sys::Dcb SimLine::CurrentDcb() {
  std::lock_guard<std::mutex> lock(mutex_);
  return dcb_;
}

sys::CommTimeouts SimLine::CurrentTimeouts() {
  std::lock_guard<std::mutex> lock(mutex_);
  return timeouts_;
}

bool SimLine::Dtr() {
  std::lock_guard<std::mutex> lock(mutex_);
  return dtr_;
}

bool SimLine::Rts() {
  std::lock_guard<std::mutex> lock(mutex_);
  return rts_;
}

bool SimLine::IsOpen() {
  std::lock_guard<std::mutex> lock(mutex_);
  return open_;
}

int SimLine::OpenCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  return openCount_;
}

WireSettings SimLine::HostSettings() const {
  WireSettings settings;
  settings.baud = dcb_.BaudRate;
  settings.byteSize = dcb_.ByteSize;
  settings.parity = dcb_.Parity;
  settings.stopBits = dcb_.StopBits;
  return settings;
}

bool SimLine::PullNext(uint64_t deadlineUs, uint64_t* arrivedUs) {
  WireByte byte;
  if (!phone_.TakeOutput(deadlineUs, &byte)) return false;
  WireSettings host = HostSettings();
  if (!SettingsMatch(byte.sentWith, host))
    errors_ |= byte.sentWith.baud == host.baud && byte.sentWith.byteSize == host.byteSize ? kErrorParity : kErrorFrame;
  if (received_.size() < kReceiveBufferSize)
    received_.push_back(ReceivedValue(byte, host));
  else
    errors_ |= kErrorRxOverflow;
  *arrivedUs = byte.atUs;
  return true;
}

void SimLine::Pull(uint64_t untilUs) {
  uint64_t arrived;
  while (PullNext(untilUs, &arrived)) {
  }
}

void SimLine::SetDtrLevel(bool high, uint64_t atUs) {
  dtr_ = high;
  phone_.SetDtr(high, atUs);
  PortEvent event(PortEvent::Kind::Dtr, atUs);
  event.level = high;
  event.settings = HostSettings();
  transcript_.Add(event);
}

void SimLine::SetRtsLevel(bool high, uint64_t atUs) {
  rts_ = high;
  PortEvent event(PortEvent::Kind::Rts, atUs);
  event.level = high;
  event.settings = HostSettings();
  transcript_.Add(event);
}

}  // namespace sim
