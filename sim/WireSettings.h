#pragma once
// What makes bytes on a serial line readable: both ends must agree on the
// rate and the framing. The simulated phone and its hosts use these to time
// bytes and to turn bytes sent at the wrong settings into garbage.
#include <cstdint>
#include <string>

namespace sim {

enum : uint8_t { kNoParity = 0, kOddParity = 1, kEvenParity = 2 };

struct WireSettings {
  uint32_t baud = 57600;
  uint8_t byteSize = 8;
  uint8_t parity = kNoParity;  // as in the DCB
  uint8_t stopBits = 0;        // as in the DCB: 0 one, 1 one and a half, 2 two
  // False where this end cannot see the parity in force (a Linux
  // pseudo-terminal forces 8 bits and no parity whatever the tool asked for).
  bool parityKnown = true;
};

WireSettings Settings8N1(uint32_t baud);
WireSettings Settings8E1(uint32_t baud);

// A byte on the line: its value as sent, when its last bit has arrived at
// the other end, and the settings it was sent with.
struct WireByte {
  uint8_t value;
  uint64_t atUs;
  WireSettings sentWith;
};

// Microseconds one character takes: start bit, data bits, parity bit and
// stop bits at the rate in force.
uint64_t ByteTimeUs(const WireSettings& settings);

// Whether a receiver set to `receiver` reads what `sender` sent: the rates
// agree within the usual UART tolerance and so do the data bits and, where
// both ends can see it, the parity.
bool SettingsMatch(const WireSettings& sender, const WireSettings& receiver);

// What a receiver at the wrong settings makes of a byte: one of the values a
// UART reads from a mistimed or misframed character (long runs of one level
// at the wrong rate). None of them means anything in the phone's protocols.
uint8_t GarbledByte(uint8_t value, const WireSettings& sender, const WireSettings& receiver);

// The value `receiver` reads for `sent`.
uint8_t ReceivedValue(const WireByte& sent, const WireSettings& receiver);

// "57600 8N1", "19200 8E1"; a parity this end cannot see shows as "?".
std::string DescribeSettings(const WireSettings& settings);

}  // namespace sim
