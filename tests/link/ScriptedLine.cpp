#include "tests/link/ScriptedLine.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "sys/SystemInfo.h"

namespace link_test {

sys::Dcb ScriptedLine::DefaultDriverDcb() {
  sys::Dcb dcb = {};
  dcb.DCBlength = sizeof dcb;
  dcb.BaudRate = 9600;
  dcb.fBinary = 1;
  dcb.fDtrControl = 1;
  dcb.fRtsControl = 1;
  dcb.fOutxCtsFlow = 1;
  dcb.fTXContinueOnXoff = 1;
  dcb.XonLim = 2048;
  dcb.XoffLim = 512;
  dcb.ByteSize = 8;
  dcb.XonChar = 0x11;
  dcb.XoffChar = 0x13;
  return dcb;
}

void ScriptedLine::Reply(const Bytes& bytes, uint32_t delayMs) {
  uint32_t at = clock_.now + delayMs;
  if (!pending_.empty()) at = std::max(at, pending_.back().at);
  for (uint8_t byte : bytes) pending_.push_back({at, byte});
}

bool ScriptedLine::Read(void* buffer, unsigned count, unsigned* read) {
  *read = 0;
  if (failRead) return false;
  const uint32_t deadline = clock_.now + timeouts.ReadTotalTimeoutConstant;
  // All count bytes in before the deadline: the read returns when the last
  // of them arrives; otherwise it waits the whole time-out.
  uint32_t end = deadline;
  if (pending_.size() >= count && count > 0) end = std::max(clock_.now, pending_[count - 1].at);
  if (end > deadline) end = deadline;
  clock_.now = end;
  auto* out = static_cast<uint8_t*>(buffer);
  while (*read < count && !pending_.empty() && pending_.front().at <= clock_.now) {
    out[(*read)++] = pending_.front().byte;
    pending_.pop_front();
  }
  events.push_back({clock_.now, "READ " + std::to_string(count) + " -> " + std::to_string(*read)});
  return true;
}

bool ScriptedLine::Write(const void* bytes, unsigned count, unsigned* written) {
  *written = 0;
  LineWrite write{clock_.now, Bytes(static_cast<const uint8_t*>(bytes),
                                    static_cast<const uint8_t*>(bytes) + count),
                  dcb.BaudRate, dcb.Parity, dtr};
  if (failWriteNumber > 0 && static_cast<int>(writes.size()) + 1 == failWriteNumber) {
    writes.push_back({clock_.now, {}, dcb.BaudRate, dcb.Parity, dtr});
    return false;
  }
  writes.push_back(write);
  *written = count;
  if (respond) respond(*this, write);
  return true;
}

Bytes ScriptedLine::AllWritten() const {
  Bytes all;
  for (const LineWrite& write : writes) all.insert(all.end(), write.bytes.begin(), write.bytes.end());
  return all;
}

int ScriptedLine::CountWrites(const Bytes& bytes) const {
  return static_cast<int>(std::count_if(writes.begin(), writes.end(),
                                        [&](const LineWrite& w) { return w.bytes == bytes; }));
}

bool ScriptedLine::HasEvent(const std::string& what) const {
  return std::any_of(events.begin(), events.end(),
                     [&](const LineEvent& event) { return event.what == what; });
}

ScriptedDevice::~ScriptedDevice() {
  line_.held = false;
  line_.events.push_back({line_.Clock().now, "CLOSE"});
}

bool ScriptedDevice::GetCommState(sys::Dcb* dcb) {
  if (line_.failGetCommState) return false;
  *dcb = line_.dcb;
  return true;
}

bool ScriptedDevice::SetCommState(const sys::Dcb& dcb) {
  if (line_.failSetCommState) return false;
  line_.dcb = dcb;
  line_.events.push_back({line_.Clock().now, "SET " + std::to_string(dcb.BaudRate) +
                                                 (dcb.Parity == 2 ? " E" : " N")});
  return true;
}

bool ScriptedDevice::SetCommTimeouts(const sys::CommTimeouts& timeouts) {
  line_.timeouts = timeouts;
  line_.events.push_back({line_.Clock().now,
                          "TIMEOUTS " + std::to_string(timeouts.ReadTotalTimeoutConstant) + "/" +
                              std::to_string(timeouts.WriteTotalTimeoutConstant)});
  return true;
}

bool ScriptedDevice::EscapeCommFunction(unsigned function) {
  const auto& codes = line_.failEscapeCodes;
  if (line_.failEscape || std::find(codes.begin(), codes.end(), function) != codes.end())
    return false;
  const char* what = "?";
  switch (function) {
    case sys::kSetRts: line_.rts = true; what = "RTS 1"; break;
    case sys::kClrRts: line_.rts = false; what = "RTS 0"; break;
    case sys::kSetDtr: line_.dtr = true; what = "DTR 1"; break;
    case sys::kClrDtr: line_.dtr = false; what = "DTR 0"; break;
  }
  line_.events.push_back({line_.Clock().now, what});
  return true;
}

bool ScriptedDevice::PurgeComm(unsigned flags) {
  if (line_.failPurge) return false;
  line_.events.push_back({line_.Clock().now, "PURGE " + std::to_string(flags)});
  return true;
}

bool ScriptedDevice::ClearCommError(unsigned* errors) {
  *errors = 0;
  line_.events.push_back({line_.Clock().now, "CLEAR"});
  return true;
}

bool ScriptedDevice::ReadFile(void* buffer, unsigned count, unsigned* read) {
  return line_.Read(buffer, count, read);
}

bool ScriptedDevice::WriteFile(const void* bytes, unsigned count, unsigned* written) {
  return line_.Write(bytes, count, written);
}

sys::SerialDevice* ScriptedOpener::Open(const char* name) {
  opened.push_back(name);
  auto found = lines_.find(name);
  if (found == lines_.end()) {
    sys::SetLastError(2);
    return nullptr;
  }
  ScriptedLine& line = *found->second;
  if (line.held) {
    sys::SetLastError(5);
    return nullptr;
  }
  ++line.opens;
  line.dcb = line.driverDcb;
  return new ScriptedDevice(line);
}

Bytes Frame(uint8_t type, const Bytes& payload) {
  Bytes frame(3 + payload.size());
  frame[0] = type;
  frame[1] = static_cast<uint8_t>(payload.size());
  frame[2] = static_cast<uint8_t>(type ^ payload.size());
  std::copy(payload.begin(), payload.end(), frame.begin() + 3);
  return frame;
}

Bytes BlockReply(const Bytes& payloadWithoutCheck) {
  Bytes payload = payloadWithoutCheck;
  uint8_t check = 0;
  for (uint8_t byte : payload) check ^= byte;
  payload.push_back(check);
  return Frame(0x14, payload);
}

std::string Hex(const Bytes& bytes) {
  std::string text;
  char part[4];
  for (uint8_t byte : bytes) {
    snprintf(part, sizeof part, "%s%02X", text.empty() ? "" : " ", byte);
    text += part;
  }
  return text;
}

void ServicePhone::Attach(ScriptedLine& line) {
  line.respond = [this](ScriptedLine& line, const LineWrite& write) {
    const Bytes& f = write.bytes;
    if (off) return;
    if (!serviceMode) {
      if (write.baud == 57600 && f == Bytes({'a', 't', '^', 's', 'q', 'w', 'e', '=', '1', '\r'})) {
        line.Reply("at^sqwe=1\r\r\nOK\r\n");
        serviceMode = true;
      }
      return;
    }
    if (f.size() < 4) return;
    if (f == Bytes{0x02, 0x01, 0x03, 0x14}) {
      if (answerPing) line.Reply(Frame(0x02, {0x14, 0x00}));
    } else if (f == Bytes{0x0E, 0x01, 0x0F, 0x04}) {
      if (confirmPowerOff) {
        line.Reply(Frame(0x0E, {0x04}));
        off = true;
      }
    } else if (f[0] == 0x14) {
      switch (f[3]) {
        case 0x15:
          line.Reply(BlockReply({0x15, static_cast<uint8_t>(blockLength & 0xFF),
                                 static_cast<uint8_t>(blockLength >> 8), infoByte}));
          break;
        case 0x11:
          line.Reply(BlockReply({0x50}));
          break;
        case 0x12: {
          ++dataFrames;
          const int offset = f[6] | (f[7] << 8);
          const int length = f[1] - 6;
          if (offset == refuseOffset) {
            line.Reply(BlockReply({0x13}));
            break;
          }
          if (!answerData) break;
          for (int i = 0; i < length && offset + i < static_cast<int>(block.size()); ++i)
            block[offset + i] = f[8 + i];
          line.Reply(BlockReply({dataReply}));
          break;
        }
        default:
          line.Reply(BlockReply({f[3]}));
          break;
      }
    }
  };
}

void BootingPhone::Attach(ScriptedLine& line) {
  line.respond = [this](ScriptedLine& line, const LineWrite& write) {
    const uint8_t byte = write.bytes[0];
    if (blockBytes >= 0) {
      block.push_back(byte);
      if (++blockBytes == 106) {
        blockBytes = -1;
        if (acceptCode) line.Reply(Bytes{0xA5}, 5);
      }
    } else if (byte == 0x55) {
      if (++wakes >= answerFromWake) line.Reply(Bytes{wakeAnswer}, 5);
    } else if (byte == 0x68) {
      block.assign(1, byte);
      blockBytes = 1;
    }
  };
}

}  // namespace link_test
