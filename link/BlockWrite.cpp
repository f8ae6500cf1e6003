#include <cstring>
#include <initializer_list>

#include "link/SerialPort.h"
#include "sys/Clock.h"

namespace {

constexpr int kChunkSize = 20;
constexpr int kSendsPerChunk = 10;
constexpr uint32_t kPauseAfterSilenceMs = 45;

uint8_t Low(unsigned value) { return static_cast<uint8_t>(value & 0xFF); }
uint8_t High(unsigned value) { return static_cast<uint8_t>((value >> 8) & 0xFF); }

}  // namespace

int SerialPort::WriteBlock(uint16_t blockId, uint16_t size, uint8_t infoByte,
                           const uint8_t* data, BlockWriteObserver* observer) {
  if (!data || size == 0) return 0;
  ServiceFrame frame = {};

  const uint8_t open[] = {kBlockOpen, Low(blockId), High(blockId), Low(size), High(size),
                          infoByte};
  SetBlockServicePayload(frame, open, sizeof open);
  if (!ComSend(frame)) return 0;
  // No answer to the open is taken as consent; only a refusal stops here.
  if (ComReceive(kBlockServiceType, 2, frame) && frame.payload[0] != kOpenAccepted) return 0;

  const int remainder = size % kChunkSize;
  int offset = 0;
  int firstLost = -1;
  while (offset < size) {
    const int length = (offset + remainder == size) ? remainder : kChunkSize;
    bool taken = false;
    for (int sends = 0; sends < kSendsPerChunk && !taken; ++sends) {
      uint8_t payload[5 + kChunkSize] = {kBlockData, Low(blockId), High(blockId), Low(offset),
                                         High(offset)};
      memcpy(payload + 5, data + offset, length);
      SetBlockServicePayload(frame, payload, 5 + length);
      if (!ComSend(frame)) return offset;
      if (!ComReceive(kBlockServiceType, 2, frame))
        sys::Sleep(kPauseAfterSilenceMs);
      else if (frame.payload[0] == kBlockData)
        taken = true;
    }
    // A chunk given up does not stop the write (the phone may still take
    // the rest), but the block is not what was asked for.
    if (!taken && firstLost < 0) firstLost = offset;
    if (observer) observer->OnChunk(offset, length, size, taken);
    offset += length;
  }

  const uint8_t close[] = {kBlockClose, Low(blockId), High(blockId)};
  SetBlockServicePayload(frame, close, sizeof close);
  ComSend(frame);
  ComReceive(kBlockServiceType, 2, frame);
  for (uint8_t finish : {kBlockFinish1, kBlockFinish2}) {
    SetBlockServicePayload(frame, &finish, 1);
    ComSend(frame);
    ComReceive(kBlockServiceType, 2, frame);
  }
  return firstLost >= 0 ? firstLost : offset;
}
