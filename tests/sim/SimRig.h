#pragma once
// A simulated phone with a port open on it as COM1, in virtual time, and the
// frames the simulator's own tests send.
#include <memory>
#include <string>
#include <vector>

#include "sim/ScopedSimPhone.h"

namespace simtest {

using Bytes = std::vector<uint8_t>;

inline Bytes Frame(uint8_t type, const Bytes& payload) {
  Bytes frame{type, static_cast<uint8_t>(payload.size()), static_cast<uint8_t>(type ^ payload.size())};
  frame.insert(frame.end(), payload.begin(), payload.end());
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

// The boot block as a host sends it: length, code, XOR of the code.
inline Bytes BootBlock() {
  Bytes block{104};
  uint8_t check = 0;
  for (size_t i = 0; i < 104; ++i) check ^= block.emplace_back(static_cast<uint8_t>(0xA5 ^ (i * 13)));
  block.push_back(check);
  return block;
}

inline sim::SimPhoneSettings PhoneIn(sim::PhoneState state) {
  sim::SimPhoneSettings settings;
  settings.initialState = state;
  return settings;
}

// Starts at 57600 8N1 with reads that wait 50 ms.
struct Rig : sim::ScopedSimPhone {
  explicit Rig(const sim::SimPhoneSettings& settings = {}) : ScopedSimPhone(settings), device(opener.Open("COM1")) {
    Configure(57600);
    Timeouts(50);
  }
  void Configure(uint32_t baud, uint8_t parity = sim::kNoParity) {
    sys::Dcb dcb{};
    device->GetCommState(&dcb);
    dcb.BaudRate = baud, dcb.Parity = parity;
    device->SetCommState(dcb);
  }
  void Timeouts(uint32_t readMs, uint32_t writeMs = 250) { device->SetCommTimeouts({0, 0, readMs, 0, writeMs}); }
  unsigned Send(const Bytes& bytes) {
    unsigned written = 0;
    device->WriteFile(bytes.data(), static_cast<unsigned>(bytes.size()), &written);
    return written;
  }
  // What comes back within one read, after a request (none if empty).
  Bytes Read(const Bytes& request = {}, unsigned count = 64) {
    if (!request.empty()) Send(request);
    Bytes buffer(count);
    unsigned got = 0;
    device->ReadFile(buffer.data(), count, &got);
    buffer.resize(got);
    return buffer;
  }

  std::unique_ptr<sys::SerialDevice> device;
};

}  // namespace simtest
