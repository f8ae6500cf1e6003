#include <cstring>
#include <initializer_list>

#include "link/SerialPort.h"
#include "sys/Clock.h"

namespace {

constexpr int kSendsPerChunk = 10;
constexpr uint32_t kPauseAfterSilenceMs = 45;

uint8_t Low(unsigned value) { return static_cast<uint8_t>(value & 0xFF); }
uint8_t High(unsigned value) { return static_cast<uint8_t>((value >> 8) & 0xFF); }

// What the replies of one block write have said so far. Each reply is
// judged by the send it answers, whenever it comes: the open's reply may
// come while the first chunk waits, a chunk's first send may be accepted
// while its second waits.
struct WriteState {
  uint32_t openId = 0;
  bool openRefused = false;
  uint32_t chunkSends[kSendsPerChunk] = {};  // the current chunk's sends
  int chunkSendCount = 0;
  int refusals = 0;
  bool taken = false;
  bool lastSendAnswered = false;  // the latest send got its reply (a refusal)

  void NewChunk() {
    chunkSendCount = 0;
    refusals = 0;
    taken = false;
  }
  void Sent(uint32_t id) {
    chunkSends[chunkSendCount++] = id;
    lastSendAnswered = false;
  }
  void Judge(const ReceivedReply& reply) {
    if (reply.sendId == openId && reply.Usable(kBlockServiceType, 2) && reply.frame.payload[0] != kOpenAccepted)
      openRefused = true;
    for (int i = 0; i < chunkSendCount; ++i) {
      if (reply.sendId != chunkSends[i]) continue;
      if (reply.Usable(kBlockServiceType, 2) && reply.frame.payload[0] == kBlockData)
        taken = true;
      else
        ++refusals;
      if (i == chunkSendCount - 1) lastSendAnswered = true;
    }
  }
};

}  // namespace

int SerialPort::WriteBlock(uint16_t blockId, uint16_t size, uint8_t infoByte,
                           const uint8_t* data, BlockWriteObserver* observer) {
  if (!data || size == 0 || StopRequested()) return 0;
  DrainOwedReplies();
  ServiceFrame frame = {};
  WriteState state;
  auto judge = [&state](const ReceivedReply& reply) { state.Judge(reply); };
  // Waits for replies until the deadline or until the chunk is settled.
  auto awaitUntil = [&](uint32_t deadline) {
    ReceivedReply reply;
    while (!state.taken && !state.lastSendAnswered && !state.openRefused && AwaitReply(deadline, &reply))
      judge(reply);
  };

  const uint8_t open[] = {kBlockOpen, Low(blockId), High(blockId), Low(size), High(size),
                          infoByte};
  SetBlockServicePayload(frame, open, sizeof open);
  if (!ComSend(frame)) return 0;
  state.openId = LastSendId();
  // No answer to the open is taken as consent; only a refusal stops here.
  if (ComReceive(kBlockServiceType, 2, frame) && frame.payload[0] != kOpenAccepted) return 0;

  const int remainder = size % kBlockChunkSize;
  int offset = 0;
  int reached = size;
  while (offset < size && !state.openRefused) {
    // Replies still owed by the last chunk come before this one goes out.
    DrainOwedReplies(judge);
    if (state.openRefused) break;
    if (StopRequested()) {
      reached = offset;
      break;
    }
    const int length = (offset + remainder == size) ? remainder : kBlockChunkSize;
    state.NewChunk();
    for (int sends = 0; sends < kSendsPerChunk && !state.taken && !state.openRefused; ++sends) {
      if (sends > 0 && StopRequested()) break;
      uint8_t payload[5 + kBlockChunkSize] = {kBlockData, Low(blockId), High(blockId), Low(offset),
                                         High(offset)};
      memcpy(payload + 5, data + offset, length);
      SetBlockServicePayload(frame, payload, 5 + length);
      if (!ComSend(frame)) return offset;
      state.Sent(LastSendId());
      awaitUntil(sys::TickMs() + kReceiveWindowMs);
      // Silence: a pause before the next send, in which a late acceptance
      // still settles the chunk. A refusal is answered by sending again.
      if (!state.taken && !state.lastSendAnswered) awaitUntil(sys::TickMs() + kPauseAfterSilenceMs);
    }
    // The last sends' replies may still be on their way.
    if (!state.taken && !state.openRefused) DrainOwedReplies(judge);
    if (state.openRefused) break;
    if (observer && (state.taken || !StopRequested()))
      observer->OnChunk(ChunkReport{offset, length, size, state.taken, state.chunkSendCount, state.refusals});
    if (!state.taken) {
      // Given up (or stopped): the block cannot be whole, so nothing more
      // is sent but what closes it.
      reached = offset;
      break;
    }
    offset += length;
  }

  const uint8_t close[] = {kBlockClose, Low(blockId), High(blockId)};
  SetBlockServicePayload(frame, close, sizeof close);
  if (ComSend(frame)) ComReceive(kBlockServiceType, 2, frame);
  for (uint8_t finish : {kBlockFinish1, kBlockFinish2}) {
    SetBlockServicePayload(frame, &finish, 1);
    if (ComSend(frame)) ComReceive(kBlockServiceType, 2, frame);
  }
  return state.openRefused ? 0 : reached;
}
