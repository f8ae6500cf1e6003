#pragma once
// Which reply answers which send. The phone answers service-mode frames in
// the order they went out, one reply each, but its acknowledgements name no
// request: a reply that comes late must still be counted for the send it
// answers, never for the one that happens to be waiting. So the port keeps
// the sends still owed a reply, oldest first, and the bytes read that do not
// yet make a whole reply, and finds replies in those bytes frame by frame.
//
// Pure bookkeeping: no reads, no clock. SerialPort feeds it what it reads
// and the time, and asks how many more bytes the next decision needs, so a
// read never takes bytes that belong to the reply after.
#include <cstdint>

#include "link/ServiceFrame.h"

constexpr int kMaxFrameSize = kFrameHeaderSize + 255;

// A reply found on the line.
struct ReceivedReply {
  uint32_t sendId = 0;  // the send it answers; 0 for a frame that answers none
  bool oversized = false;  // N of 32 or more: consumed whole, never taken
  ServiceFrame frame = {};  // type, N, header check and (not oversized) the payload

  // A reply that can be taken: of this type, with minLength <= N < 32.
  bool Usable(uint8_t type, uint8_t minLength) const {
    return !oversized && frame.type == type && frame.length >= minLength && frame.length < kOversizedLength;
  }
};

class ReplyTracker {
 public:
  // A frame of `type` went out, its last byte at endMs; returns its id.
  uint32_t NoteSend(uint8_t type, uint32_t endMs);
  // The line was purged or the port opened: nothing owed, nothing read.
  void Forget();
  // Owed replies have not come in the time a reply may take: they are taken
  // as lost, and bytes of a reply that stopped half-way are dropped with
  // them, so that nothing of theirs can pass for the answer to a later send.
  void GiveUpOwed();

  bool Owes() const { return owedCount_ > 0; }
  bool Owes(uint32_t sendId) const;
  uint32_t LastSendId() const { return lastId_; }
  // Until when the replies still owed are worth waiting for: as long as a
  // reply may take (the receive window, the pause after it and a margin)
  // after the youngest owed send, or after the last reply if that came
  // later. The last reply may have been late rather than the answer to a
  // younger send; if so, the next reply comes as long after it as the sends
  // were apart, which is never more than a window and a pause.
  uint32_t OwedDeadlineMs() const;

  // The bytes that the next decision needs, at least 1: no read should ask
  // for more, or it could take the start of the reply after.
  int BytesWanted() const;
  void Append(const uint8_t* bytes, int count);
  // Looks for the next reply in what has been read; false when more bytes
  // are needed. Bytes that cannot start a reply to an owed send are skipped
  // one at a time, so noise costs only itself.
  bool NextReply(uint32_t nowMs, ReceivedReply* reply);

 private:
  struct OwedSend {
    uint32_t id;
    uint8_t type;
    uint32_t endMs;
  };
  static constexpr int kMaxOwed = 32;

  int OldestOwedOfType(uint8_t type) const;  // index into the owed list, or -1
  void DropOwed(int count);                  // the oldest `count`
  void Consume(int count);

  OwedSend owed_[kMaxOwed] = {};
  int owedCount_ = 0;
  uint32_t lastId_ = 0;
  uint32_t lastReplyMs_ = 0;  // when the last reply to an owed send came

  uint8_t pending_[kMaxFrameSize] = {};
  int pendingCount_ = 0;
  int wanted_ = kFrameHeaderSize;
  // The pending bytes begin where a reply may begin: right after a whole
  // frame, or on a line just purged. Only there is a frame of an owed type
  // taken without looking at its header check.
  bool atFrameStart_ = true;
};
