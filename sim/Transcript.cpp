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

void Transcript::Add(LineEvent event) {
  std::lock_guard<std::mutex> lock(mutex_);
  events_.push_back(std::move(event));
}

void Transcript::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  events_.clear();
}

std::vector<LineEvent> Transcript::Events() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_;
}

std::vector<LineEvent> Transcript::Events(LineEvent::Kind kind) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<LineEvent> found;
  for (const LineEvent& event : events_)
    if (event.kind == kind) found.push_back(event);
  return found;
}

std::vector<uint8_t> Transcript::HostBytes() const {
  std::vector<uint8_t> bytes;
  for (const LineEvent& write : Events(LineEvent::Kind::Write))
    bytes.insert(bytes.end(), write.bytes.begin(), write.bytes.end());
  return bytes;
}

std::vector<std::vector<uint8_t>> Transcript::HostWrites() const {
  std::vector<std::vector<uint8_t>> writes;
  for (const LineEvent& write : Events(LineEvent::Kind::Write)) writes.push_back(write.bytes);
  return writes;
}

std::vector<uint8_t> Transcript::ReceivedBytes() const {
  std::vector<uint8_t> bytes;
  for (const LineEvent& read : Events(LineEvent::Kind::Read))
    bytes.insert(bytes.end(), read.bytes.begin(), read.bytes.end());
  return bytes;
}

std::string Transcript::Dump() const {
  std::string text;
  char line[160];
  for (const LineEvent& event : Events()) {
    std::snprintf(line, sizeof line, "%10.3f ms  ", event.atUs / 1000.0);
    text += line;
    switch (event.kind) {
      case LineEvent::Kind::Write:
        text += "write " + DescribeSettings(event.settings) + " [" + std::to_string(event.bytes.size()) + "/" +
                std::to_string(event.requested) + "] " + HexBytes(event.bytes);
        break;
      case LineEvent::Kind::Read:
        text += "read  " + DescribeSettings(event.settings) + " [" + std::to_string(event.bytes.size()) + "/" +
                std::to_string(event.requested) + "] until " + std::to_string(event.endUs / 1000.0) + " ms " +
                HexBytes(event.bytes);
        break;
      case LineEvent::Kind::Dtr: text += event.level ? "DTR 1" : "DTR 0"; break;
      case LineEvent::Kind::Rts: text += event.level ? "RTS 1" : "RTS 0"; break;
      case LineEvent::Kind::Settings: text += "settings " + DescribeSettings(event.settings); break;
      case LineEvent::Kind::Timeouts:
        text += "time-outs read " + std::to_string(event.timeouts.ReadTotalTimeoutConstant) + " ms, write " +
                std::to_string(event.timeouts.WriteTotalTimeoutConstant) + " ms";
        break;
      case LineEvent::Kind::Purge: text += "purge " + std::to_string(event.purgeFlags); break;
    }
    text += '\n';
  }
  return text;
}

}  // namespace sim
