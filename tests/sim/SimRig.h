#pragma once
// A simulated phone on an open simulated port, and frame helpers, for the
// simulator's own tests.
#include <memory>
#include <string>
#include <vector>

#include "sim/SimLine.h"
#include "sim/SimSerialDevice.h"

namespace simtest {

using Bytes = std::vector<uint8_t>;

inline Bytes Frame(uint8_t type, const Bytes& payload) {
  Bytes frame{type, static_cast<uint8_t>(payload.size()), static_cast<uint8_t>(type ^ payload.size())};
  for (uint8_t byte : payload) frame.push_back(byte);
  return frame;
}
// A block-service frame: the payload gets its XOR check byte.
inline Bytes BlockFrame(Bytes payload) {
  uint8_t check = 0;
  for (uint8_t byte : payload) check ^= byte;
  payload.push_back(check);
  return Frame(0x14, payload);
}
inline Bytes OpenFrame(uint16_t size = 2408, uint8_t info = 0x04) {
  return BlockFrame({0x11, 0xCF, 0x13, uint8_t(size), uint8_t(size >> 8), info});
}
inline Bytes DataFrame(uint16_t offset, const Bytes& data) {
  Bytes payload{0x12, 0xCF, 0x13, uint8_t(offset), uint8_t(offset >> 8)};
  payload.insert(payload.end(), data.begin(), data.end());
  return BlockFrame(payload);
}
inline Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

inline const Bytes kPing{0x02, 0x01, 0x03, 0x14}, kPingReply{0x02, 0x02, 0x00, 0x14, 0x14};
inline const Bytes kPowerOff{0x0E, 0x01, 0x0F, 0x04}, kInfo5071{0x14, 0x04, 0x10, 0x15, 0xCF, 0x13, 0xC9};
inline const Bytes kClose = BlockFrame({0x13, 0xCF, 0x13}), kOpened = Frame(0x14, {0x50, 0x50});
inline const Bytes kTaken = Frame(0x14, {0x12, 0x12}), kDataRefused = BlockFrame({0x13, 0x12});
inline const Bytes kOpenRefused = BlockFrame({0x13, 0x11});

inline Bytes TestImage(size_t size = 2408) {
  Bytes image(size);
  for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>(i * 7 + i / 256);
  return image;
}
// The boot block as a host sends it: length, code, XOR of the code.
inline Bytes BootBlock() {
  Bytes block{104};
  uint8_t check = 0;
  for (size_t i = 0; i < 104; ++i) block.push_back(static_cast<uint8_t>(0xA5 ^ (i * 13))), check ^= block.back();
  block.push_back(check);
  return block;
}

inline sim::SimPhoneSettings PhoneIn(sim::PhoneState state) {
  sim::SimPhoneSettings settings;
  settings.initialState = state;
  return settings;
}

struct Rig {
  explicit Rig(const sim::SimPhoneSettings& settings = {}) : phone(settings), line(phone, clock) {
    device = std::make_unique<sim::SimSerialDevice>(line);
    Configure(57600);
    Timeouts(50);
  }
  void Configure(uint32_t baud, uint8_t parity = sim::kNoParity) {
    sys::Dcb dcb{};
    device->GetCommState(&dcb);
    dcb.BaudRate = baud;
    dcb.Parity = parity;
    device->SetCommState(dcb);
  }
  void Timeouts(uint32_t readMs, uint32_t writeMs = 250) { device->SetCommTimeouts({0, 0, readMs, 0, writeMs}); }
  unsigned Send(const Bytes& bytes) {
    unsigned written = 0;
    device->WriteFile(bytes.data(), static_cast<unsigned>(bytes.size()), &written);
    return written;
  }
  Bytes Read(unsigned count = 34) {
    Bytes buffer(count);
    unsigned got = 0;
    device->ReadFile(buffer.data(), count, &got);
    return Bytes(buffer.begin(), buffer.begin() + got);
  }
  // A request and what comes back within one read of up to 34 bytes.
  Bytes Exchange(const Bytes& request) { return Send(request), Read(); }
  void Dtr(bool high) { device->EscapeCommFunction(high ? sys::kSetDtr : sys::kClrDtr); }
  // At 19200 8E1: the DTR pulse, then 0x55 and the one byte back.
  Bytes Sync(uint32_t readMs = 45) {
    Configure(19200, sim::kEvenParity);
    Timeouts(readMs);
    Dtr(false);
    Dtr(true);
    Send({0x55});
    return Read(8);
  }

  sim::VirtualClock clock;
  sim::SimPhone phone;
  sim::SimLine line;
  std::unique_ptr<sim::SimSerialDevice> device;
};

}  // namespace simtest
