#include <cstring>

#include "diag/ErrorLog.h"
#include "link/SerialPort.h"
#include "sys/Clock.h"
#include "sys/SystemInfo.h"

void SetBlockServicePayload(ServiceFrame& frame, const uint8_t* bytes, int count) {
  uint8_t check = 0;
  for (int i = 0; i < count; ++i) {
    frame.payload[i] = bytes[i];
    check ^= bytes[i];
  }
  frame.payload[count] = check;
  frame.type = kBlockServiceType;
  frame.length = static_cast<uint8_t>(count + 1);
}

namespace {
// Replies are read in reads of at most this long, so that none outlasts
// the wait it belongs to by much.
constexpr uint32_t kReadAttemptMs = 50;
constexpr int kPingAttempts = 3;
}  // namespace

int SerialPort::ComSend(ServiceFrame& frame) {
  if (!handle || frame.length > kMaxPayload) return 0;
  frame.headerCheck = frame.type ^ frame.length;
  ComSetTimeouts(250, 250);
  unsigned written = 0;
  if (!handle->WriteFile(frame.Bytes(), kFrameHeaderSize + frame.length, &written)) return 0;
  // Even a frame cut short may have been heard: counting a reply too many
  // only ever passes a reply over, never takes one for the wrong send.
  if (written > 0) replies_.NoteSend(frame.type, sys::TickMs());
  return static_cast<int>(written);
}

int SerialPort::AwaitReply(uint32_t deadlineMs, ReceivedReply* reply) {
  uint8_t bytes[kMaxFrameSize];
  for (;;) {
    if (replies_.NextReply(sys::TickMs(), reply)) {
      if (!reply->oversized) return 1;
      // No request of ours gets such a reply: logged, consumed whole, and
      // never taken as the answer.
      LogError("ComReceive, LEN >= 32,error code: %d", sys::LastError());
      if (reply->sendId) return 1;
      continue;
    }
    const uint32_t left = sys::MsLeft(deadlineMs);
    if (!handle || left == 0) return 0;
    const int got = ComReadFor(bytes, replies_.BytesWanted(), left < kReadAttemptMs ? left : kReadAttemptMs);
    if (got < 0) return 0;  // the line is gone: waiting longer brings nothing
    replies_.Append(bytes, got);
  }
}

int SerialPort::ComReceive(uint8_t type, uint8_t minLength, ServiceFrame& frame) {
  const uint32_t awaited = replies_.LastSendId();
  if (!replies_.Owes(awaited)) return 0;
  const uint32_t deadline = sys::TickMs() + kReceiveWindowMs;
  ReceivedReply reply;
  while (AwaitReply(deadline, &reply)) {
    if (reply.sendId != awaited) continue;  // a late reply to an earlier send
    frame.type = reply.frame.type;
    frame.length = reply.frame.length;
    if (!reply.Usable(type, minLength)) return 0;
    memcpy(frame.payload, reply.frame.payload, reply.frame.length);
    return 1;
  }
  return 0;
}

int SerialPort::SendPing() {
  ServiceFrame frame = {};
  frame.type = kPingType;
  frame.length = 1;
  frame.payload[0] = kPingPayload;
  return ComSend(frame);
}

int SerialPort::PingPhone() {
  DrainOwedReplies();
  uint32_t pings[kPingAttempts] = {};
  for (int attempt = 0; attempt < kPingAttempts; ++attempt) {
    if (StopRequested()) return 0;
    if (!SendPing()) continue;
    pings[attempt] = LastSendId();
    const uint32_t deadline = sys::TickMs() + kReceiveWindowMs;
    ReceivedReply reply;
    while (AwaitReply(deadline, &reply)) {
      // A late answer to an earlier ping of ours answers just as well.
      bool ours = false;
      for (uint32_t id : pings) ours = ours || (id && id == reply.sendId);
      if (ours && reply.Usable(kPingType, 2) && reply.frame.payload[0] == kPingPayload) return 1;
      if (reply.sendId == pings[attempt]) break;  // answered, but not as a ping is: ping again
    }
  }
  return 0;
}

int SerialPort::QueryBlockInfo(uint16_t blockId, uint16_t* length, uint8_t* infoByte) {
  *length = 0;
  *infoByte = 0;
  if (StopRequested()) return 0;
  DrainOwedReplies();
  ServiceFrame frame = {};
  const uint8_t request[] = {kBlockInfo, static_cast<uint8_t>(blockId & 0xFF),
                             static_cast<uint8_t>(blockId >> 8)};
  SetBlockServicePayload(frame, request, sizeof request);
  if (!ComSend(frame)) return 0;
  if (!ComReceive(kBlockServiceType, 5, frame)) return 0;
  *length = static_cast<uint16_t>(frame.payload[1] | (frame.payload[2] << 8));
  *infoByte = frame.payload[3];
  return 1;
}

int SerialPort::RequestPowerOff() {
  if (StopRequested()) return 0;
  DrainOwedReplies();
  ServiceFrame frame = {};
  frame.type = kPowerType;
  frame.length = 1;
  frame.payload[0] = kPowerOffPayload;
  if (!ComSend(frame)) return 0;
  if (!ComReceive(kPowerType, 1, frame)) return 0;
  return frame.payload[0] == kPowerOffPayload ? 1 : 0;
}
