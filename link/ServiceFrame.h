#pragma once
// A service-mode frame as it travels on the line: type, payload length N,
// header check (type XOR N), N payload bytes. One 34-byte buffer carries a
// request and then its reply; bytes the reply does not cover keep the
// request's values.
#include <cstdint>

constexpr int kFrameBufferSize = 34;
constexpr int kFrameHeaderSize = 3;
constexpr int kMaxPayload = kFrameBufferSize - kFrameHeaderSize;  // 31
// A reply announcing this many payload bytes or more cannot be one of ours.
constexpr int kOversizedLength = 32;

constexpr uint8_t kPingType = 0x02;
constexpr uint8_t kPowerType = 0x0E;
constexpr uint8_t kBlockServiceType = 0x14;

constexpr uint8_t kPingPayload = 0x14;
constexpr uint8_t kPowerOffPayload = 0x04;

// Block-service sub-commands.
constexpr uint8_t kBlockInfo = 0x15;
constexpr uint8_t kBlockOpen = 0x11;
constexpr uint8_t kBlockData = 0x12;
constexpr uint8_t kBlockClose = 0x13;
constexpr uint8_t kBlockFinish1 = 0x08;
constexpr uint8_t kBlockFinish2 = 0x18;
constexpr uint8_t kOpenAccepted = 0x50;  // 'P'

struct ServiceFrame {
  uint8_t type;
  uint8_t length;
  uint8_t headerCheck;
  uint8_t payload[kMaxPayload];

  uint8_t* Bytes() { return &type; }
  const uint8_t* Bytes() const { return &type; }
};
static_assert(sizeof(ServiceFrame) == kFrameBufferSize, "a frame buffer is 34 bytes");

// Fills frame with a block-service request: the given payload bytes followed
// by their XOR check byte. count is at most 30.
void SetBlockServicePayload(ServiceFrame& frame, const uint8_t* bytes, int count);
