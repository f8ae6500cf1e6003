#include "sim/Transcript.h"

#include <cstdio>

namespace sim {

std::string HexBytes(const std::vector<uint8_t>& bytes) {
  std::string text;
  char hex[4];
  for (uint8_t byte : bytes) {
    std::snprintf(hex, sizeof hex, "%02X", byte);
    if (!text.empty()) text += ' ';
    text += hex;
  }
  return text;
}

void Transcript::Add(PortEvent event) {
  std::lock_guard<std::mutex> lock(mutex_);
  events_.push_back(std::move(event));
}

void Transcript::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  events_.clear();
}

std::vector<PortEvent> Transcript::Events() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_;
}

std::vector<PortEvent> Transcript::Events(PortEvent::Kind kind) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<PortEvent> found;
  for (const PortEvent& event : events_)
    if (event.kind == kind) found.push_back(event);
  return found;
}

std::vector<uint8_t> Transcript::HostBytes() const {
  std::vector<uint8_t> bytes;
  for (const PortEvent& write : Events(PortEvent::Kind::Write))
    bytes.insert(bytes.end(), write.bytes.begin(), write.bytes.end());
  return bytes;
}

std::vector<std::vector<uint8_t>> Transcript::HostWrites() const {
  std::vector<std::vector<uint8_t>> writes;
  for (const PortEvent& write : Events(PortEvent::Kind::Write)) writes.push_back(write.bytes);
  return writes;
}

std::vector<uint8_t> Transcript::ReceivedBytes() const {
  std::vector<uint8_t> bytes;
  for (const PortEvent& read : Events(PortEvent::Kind::Read))
    bytes.insert(bytes.end(), read.bytes.begin(), read.bytes.end());
  return bytes;
}

std::string Transcript::Dump() const {
  std::string text;
  char line[160];
  for (const PortEvent& event : Events()) {
    std::snprintf(line, sizeof line, "%10.3f ms  ", event.atUs / 1000.0);
    text += line;
    switch (event.kind) {
      case PortEvent::Kind::Write:
        text += "write " + DescribeSettings(event.settings) + " [" + std::to_string(event.bytes.size()) + "/" +
                std::to_string(event.requested) + "] " + HexBytes(event.bytes);
        break;
      case PortEvent::Kind::Read:
        text += "read  " + DescribeSettings(event.settings) + " [" + std::to_string(event.bytes.size()) + "/" +
                std::to_string(event.requested) + "] until " + std::to_string(event.endUs / 1000.0) + " ms " +
                HexBytes(event.bytes);
        break;
      case PortEvent::Kind::Dtr: text += event.level ? "DTR 1" : "DTR 0"; break;
      case PortEvent::Kind::Rts: text += event.level ? "RTS 1" : "RTS 0"; break;
      case PortEvent::Kind::Settings: text += "settings " + DescribeSettings(event.settings); break;
      case PortEvent::Kind::Timeouts:
        text += "time-outs read " + std::to_string(event.timeouts.ReadTotalTimeoutConstant) + " ms, write " +
                std::to_string(event.timeouts.WriteTotalTimeoutConstant) + " ms";
        break;
      case PortEvent::Kind::Purge: text += "purge " + std::to_string(event.purgeFlags); break;
    }
    text += '\n';
  }
  return text;
}

}  // namespace sim
