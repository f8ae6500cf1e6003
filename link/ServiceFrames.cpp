#include <cstring>

#include "diag/ErrorLog.h"
#include "link/SerialPort.h"
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

int SerialPort::ComSend(ServiceFrame& frame) {
  if (!handle || frame.length > kMaxPayload || StopRequested()) return 0;
  frame.headerCheck = frame.type ^ frame.length;
  ComSetTimeouts(250, 250);
  unsigned written = 0;
  if (!handle->WriteFile(frame.Bytes(), kFrameHeaderSize + frame.length, &written)) return 0;
  return static_cast<int>(written);
}

// Each read attempt is judged on its own: its first byte is the type, its
// second N. Six attempts of 50 ms each at most.
int SerialPort::ComReceive(uint8_t type, uint8_t minLength, ServiceFrame& frame) {
  for (int waited = 0; waited <= 250; waited += 50) {
    uint8_t read[kFrameBufferSize];
    if (ComReadRaw(read) == 0) continue;
    frame.type = read[0];
    frame.length = read[1];
    const int length = read[1];
    if (read[0] == type && length >= minLength && length < kOversizedLength) {
      memcpy(frame.payload, read + kFrameHeaderSize, length);
      return 1;
    }
    if (length >= minLength && length >= kOversizedLength) {
      // No request of ours gets such a reply: logged, and never taken as
      // the answer (it would leave the request's own bytes in the payload).
      LogError("ComReceive, LEN >= 32,error code: %d", sys::LastError());
    }
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
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (!SendPing()) continue;
    ServiceFrame reply = {};
    if (ComReceive(kPingType, 2, reply) && reply.payload[0] == kPingPayload) return 1;
  }
  return 0;
}

int SerialPort::QueryBlockInfo(uint16_t blockId, uint16_t* length, uint8_t* infoByte) {
  *length = 0;
  *infoByte = 0;
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
  ServiceFrame frame = {};
  frame.type = kPowerType;
  frame.length = 1;
  frame.payload[0] = kPowerOffPayload;
  if (!ComSend(frame)) return 0;
  if (!ComReceive(kPowerType, 1, frame)) return 0;
  return frame.payload[0] == kPowerOffPayload ? 1 : 0;
}
