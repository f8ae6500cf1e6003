// Service mode: frames of type, length N, header check (type XOR N) and N
// payload bytes; block-service payloads end with the XOR of the bytes before
// it. A frame that fails a check is not acted on. Acknowledgements echo the
// sub-command (the open says 0x50); a refusal is 0x13, the refused
// sub-command and the check.
#include <cstdio>

#include "sim/SimPhone.h"

namespace sim {
namespace {
constexpr uint64_t kFrameGapUs = 20000;  // a pause this long ends a frame
constexpr uint8_t kMaxPayload = 31;      // what a 34-byte frame buffer holds
constexpr uint8_t kOversizedLength = 40;
constexpr uint8_t kRefused = 0x13;

uint8_t XorOf(const uint8_t* bytes, size_t count) {
  uint8_t check = 0;
  for (size_t i = 0; i < count; ++i) check ^= bytes[i];
  return check;
}

std::vector<uint8_t> WithCheck(std::vector<uint8_t> payload) {
  payload.push_back(XorOf(payload.data(), payload.size()));
  return payload;
}

std::string Hex(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}
}  // namespace

void SimPhone::OnServiceByte(const Input& input) {
  if (!frame_.empty() && input.atUs - lastFrameByteUs_ > kFrameGapUs) {
    Log(PhoneEvent::Kind::FromHost, lastFrameByteUs_, input.sentWith, frame_, "incomplete frame: dropped");
    frame_.clear();
  }
  lastFrameByteUs_ = input.atUs;
  frame_.push_back(input.value);
  while (frame_.size() >= 3) {
    uint8_t type = frame_[0], length = frame_[1];
    if (static_cast<uint8_t>(type ^ length) != frame_[2] || length > kMaxPayload) {
      // Not the start of a frame: drop one byte and look again.
      Input dropped = input;
      dropped.value = frame_[0];
      frame_.erase(frame_.begin());
      Unused(dropped, "bad frame header: dropped");
      continue;
    }
    if (frame_.size() < 3u + length) return;
    OnFrame(input);
    frame_.clear();
    return;
  }
}

void SimPhone::OnFrame(const Input& last) {
  uint8_t type = frame_[0], length = frame_[1];
  const uint8_t* payload = frame_.data() + 3;
  auto logRequest = [&](const std::string& meaning) {
    Log(PhoneEvent::Kind::FromHost, last.atUs, last.sentWith, frame_, meaning);
  };
  if (type == 0x02 && length == 1 && payload[0] == 0x14) {
    logRequest("ping");
    Reply(0x02, {0x14, 0x14}, NextReplyFault(Request::Ping), last.atUs, "ping reply");
  } else if (type == 0x0E && length == 1 && payload[0] == 0x04) {
    logRequest("power off");
    uint64_t sent = Reply(0x0E, {0x04}, NextReplyFault(Request::PowerOff), last.atUs, "power off confirmed");
    ChangeStateAfter(PhoneState::Off, sent);
  } else if (type == 0x14 && length >= 2) {
    if (XorOf(payload, length - 1) != payload[length - 1]) {
      logRequest("bad payload check: not acted on");
      return;
    }
    OnBlockService(last, logRequest);
  } else {
    logRequest("frame not understood: type " + Hex(type));
  }
}

void SimPhone::OnBlockService(const Input& last, const std::function<void(const std::string&)>& logRequest) {
  uint8_t length = frame_[1];
  const uint8_t* payload = frame_.data() + 3;
  uint8_t sub = payload[0];
  unsigned blockId = length >= 4 ? payload[1] | payload[2] << 8 : 0;
  uint64_t at = last.atUs;
  ReplyFault fault;
  auto refuse = [&](const std::string& why) {
    Reply(0x14, WithCheck({kRefused, sub}), fault, at, "refused: " + why);
  };
  auto refusedByFault = [&]() {
    if (fault.refuse) refuse("(fault)");
    return fault.refuse;
  };
  std::string block = "block " + std::to_string(blockId);

  if (sub == 0x15 && length == 4) {
    logRequest("block info " + std::to_string(blockId));
    fault = NextReplyFault(Request::BlockInfo);
    if (refusedByFault()) return;
    if (blockId != kEepromBlockId) return refuse("no such block");
    uint16_t size = static_cast<uint16_t>(block_.size());
    Reply(0x14, WithCheck({0x15, uint8_t(size & 0xFF), uint8_t(size >> 8), settings_.infoByte}), fault, at,
          "block info: length " + std::to_string(size) + ", info " + Hex(settings_.infoByte));
  } else if (sub == 0x11 && length == 7) {
    unsigned size = payload[3] | payload[4] << 8;
    logRequest("open " + std::to_string(blockId) + " (" + std::to_string(size) + " bytes, info " + Hex(payload[5]) +
               ")");
    fault = NextReplyFault(Request::Open);
    if (refusedByFault()) return;
    if (blockId != kEepromBlockId) return refuse("no such block");
    if (size != block_.size()) return refuse("the block is " + std::to_string(block_.size()) + " bytes");
    if (payload[5] != settings_.infoByte) return refuse("info byte is " + Hex(settings_.infoByte));
    blockOpen_ = true;
    chunkSends_.clear();
    Reply(0x14, {0x50, 0x50}, fault, at, "open accepted");
  } else if (sub == 0x12 && length >= 7 && length <= 26) {
    unsigned offset = payload[3] | payload[4] << 8;
    unsigned count = length - 6u;
    logRequest("data offset " + std::to_string(offset) + " (" + std::to_string(count) + " bytes)");
    if (!goneSilent_ && static_cast<int>(offset) == settings_.silentAtOffset) {
      goneSilent_ = true;
      silentForGood_ = settings_.silentForMs == 0;
      silentUntilUs_ = at + uint64_t{settings_.silentForMs} * 1000;
      Note(at, "gone silent (fault): this frame and all until then are not heard");
      return;
    }
    int sends = ++chunkSends_[static_cast<int>(offset)];
    fault = NextReplyFault(Request::Data, static_cast<int>(offset), sends);
    if (!blockOpen_ || blockId != kEepromBlockId) return refuse("block not open");
    if (offset + count > block_.size()) return refuse("beyond the end of the block");
    if (refusedByFault()) return;
    std::copy(payload + 5, payload + 5 + count, block_.begin() + offset);
    Reply(0x14, {0x12, 0x12}, fault, at, "data taken");
  } else if (sub == 0x13 && length == 4) {
    logRequest("close " + std::to_string(blockId));
    fault = NextReplyFault(Request::Close);
    if (blockOpen_) {
      blockOpen_ = false;
      ++completedWrites_;
      Note(at, block + " written");
      if (onBlockWritten) onBlockWritten(block_);
    }
    Reply(0x14, {0x13, 0x13}, fault, at, "close reply");
  } else if ((sub == 0x08 || sub == 0x18) && length == 2) {
    logRequest("finish " + Hex(sub));
    fault = NextReplyFault(sub == 0x08 ? Request::Finish08 : Request::Finish18);
    Reply(0x14, {sub, sub}, fault, at, "finish reply");
  } else {
    logRequest("block service " + Hex(sub) + " not understood");
    refuse("not understood");
  }
}

ReplyFault SimPhone::NextReplyFault(Request request, int offset, int sendOfChunk) {
  ReplyContext reply{request, offset, sendOfChunk, ++replies_};
  return replyFaults ? replyFaults(reply) : KnobFaults(settings_, reply);
}

uint64_t SimPhone::Reply(uint8_t type, const std::vector<uint8_t>& payload, const ReplyFault& fault, uint64_t atUs,
                         const std::string& meaning) {
  std::vector<uint8_t> frame{type, static_cast<uint8_t>(payload.size()), static_cast<uint8_t>(type ^ payload.size())};
  for (uint8_t byte : payload) frame.push_back(byte);
  if (fault.drop) {
    Note(atUs, meaning + ": no reply (fault)");
    return atUs;
  }
  std::string said = meaning;
  if (fault.oversized) {
    // Its last bytes are the real reply: a host that reads it piecemeal
    // might take that tail for the answer.
    std::vector<uint8_t> oversized{type, kOversizedLength, static_cast<uint8_t>(type ^ kOversizedLength)};
    oversized.resize(3 + kOversizedLength - frame.size(), 0);
    for (uint8_t byte : frame) oversized.push_back(byte);
    frame.swap(oversized);
    said += ", oversized N=40 (fault)";
  }
  if (fault.lateMs) said += ", " + std::to_string(fault.lateMs) + " ms late (fault)";
  uint64_t start = atUs + (uint64_t{settings_.replyDelayMs} + fault.lateMs) * 1000;
  if (fault.noiseBytes > 0) {
    uint64_t noiseEnd = SendAt(LineNoise(fault.noiseBytes), start, "line noise (fault)");
    start = noiseEnd + uint64_t{fault.noiseLeadMs} * 1000;
  }
  return SendAt(frame, start, said, fault.splitAfter, fault.splitGapMs);
}

}  // namespace sim
