#pragma once
// The phone's end of a real line (a pseudo-terminal), as PhoneRunner needs
// it: bytes from the tool, bytes to it, and what can be learned of the line
// settings and DTR the tool set.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/WireSettings.h"

namespace sim {

class PhoneSideLine {
 public:
  virtual ~PhoneSideLine() = default;
  // Waits up to timeoutMs for bytes from the tool: their count, 0 when none
  // came in time, -1 on failure.
  virtual int Read(uint8_t* buffer, size_t size, int timeoutMs) = 0;
  virtual bool Write(const uint8_t* bytes, size_t count) = 0;
  // The tool's settings as far as this end can see them now.
  virtual WireSettings Settings() = 0;
  // DTR levels the tool set since the last call, oldest first (each came
  // before any byte that a later Read returns).
  virtual std::vector<bool> TakeDtrChanges() = 0;
  // Whether DTR changes can be seen at all on this line.
  virtual bool CanSeeDtr() = 0;
};

}  // namespace sim
