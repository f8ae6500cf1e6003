#pragma once
// What happened on a simulated line, as the host's side of it saw it: each
// write and read with its bytes, times and line settings, the modem-line
// changes, the settings and time-outs the host set, the purges. Tests of the
// protocol read the bytes on the line and the waits in virtual time here.
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "sim/WireSettings.h"
#include "sys/Serial.h"

namespace sim {

struct PortEvent {
  enum class Kind { Write, Read, Dtr, Rts, Settings, Timeouts, Purge };
  PortEvent(Kind eventKind, uint64_t at) : kind(eventKind), atUs(at), endUs(at) {}

  Kind kind;
  uint64_t atUs = 0;   // when the call began
  uint64_t endUs = 0;  // when it returned (writes and reads take time)
  std::vector<uint8_t> bytes;  // written, or read as the host got them
  unsigned requested = 0;      // bytes the write or read asked for
  WireSettings settings;       // the host's settings in force
  bool level = false;          // Dtr, Rts
  sys::CommTimeouts timeouts{};
  unsigned purgeFlags = 0;

  uint32_t AtMs() const { return static_cast<uint32_t>(atUs / 1000); }
  uint32_t EndMs() const { return static_cast<uint32_t>(endUs / 1000); }
  uint32_t DurationMs() const { return static_cast<uint32_t>((endUs - atUs) / 1000); }
};

class Transcript {
 public:
  void Add(PortEvent event);
  void Clear();

  std::vector<PortEvent> Events() const;
  std::vector<PortEvent> Events(PortEvent::Kind kind) const;
  // Everything the host wrote, in order, as one run of bytes.
  std::vector<uint8_t> HostBytes() const;
  // The bytes of each write (a frame, an AT text, a boot byte) in order.
  std::vector<std::vector<uint8_t>> HostWrites() const;
  // Everything the host read, in order.
  std::vector<uint8_t> ReceivedBytes() const;
  // One readable line per event, for failure messages.
  std::string Dump() const;

 private:
  mutable std::mutex mutex_;
  std::vector<PortEvent> events_;
};

std::string HexBytes(const std::vector<uint8_t>& bytes);

}  // namespace sim
