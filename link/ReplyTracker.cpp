#include "link/ReplyTracker.h"

#include <algorithm>
#include <cstring>

namespace {
// A request's receive window (300 ms) and the pause after it (45 ms), and a
// margin: a reply later than that cannot be told from one that was lost.
constexpr uint32_t kLateMarginMs = 100;
constexpr uint32_t kReplyMayTakeMs = 345 + kLateMarginMs;
}  // namespace

uint32_t ReplyTracker::NoteSend(uint8_t type, uint32_t endMs) {
  // More owed than any exchange makes means the oldest are long lost.
  if (owedCount_ == kMaxOwed) DropOwed(1);
  owed_[owedCount_++] = OwedSend{++lastId_, type, endMs};
  return lastId_;
}

void ReplyTracker::Forget() {
  owedCount_ = 0;
  pendingCount_ = 0;
  wanted_ = kFrameHeaderSize;
  lastReplyMs_ = 0;
  atFrameStart_ = true;
}

void ReplyTracker::GiveUpOwed() {
  owedCount_ = 0;
  pendingCount_ = 0;
  wanted_ = kFrameHeaderSize;
  atFrameStart_ = false;
}

bool ReplyTracker::Owes(uint32_t sendId) const {
  for (int i = 0; i < owedCount_; ++i)
    if (owed_[i].id == sendId) return true;
  return false;
}

uint32_t ReplyTracker::OwedDeadlineMs() const {
  const uint32_t youngestEnd = owedCount_ ? owed_[owedCount_ - 1].endMs : 0;
  const bool replySinceThen = static_cast<int32_t>(lastReplyMs_ - youngestEnd) > 0;
  return (replySinceThen ? lastReplyMs_ : youngestEnd) + kReplyMayTakeMs;
}

int ReplyTracker::BytesWanted() const { return std::max(1, wanted_ - pendingCount_); }

void ReplyTracker::Append(const uint8_t* bytes, int count) {
  count = std::min(count, kMaxFrameSize - pendingCount_);
  if (count <= 0) return;
  memcpy(pending_ + pendingCount_, bytes, count);
  pendingCount_ += count;
}

int ReplyTracker::OldestOwedOfType(uint8_t type) const {
  for (int i = 0; i < owedCount_; ++i)
    if (owed_[i].type == type) return i;
  return -1;
}

void ReplyTracker::DropOwed(int count) {
  std::copy(owed_ + count, owed_ + owedCount_, owed_);
  owedCount_ -= count;
}

void ReplyTracker::Consume(int count) {
  memmove(pending_, pending_ + count, pendingCount_ - count);
  pendingCount_ -= count;
}

bool ReplyTracker::NextReply(uint32_t nowMs, ReceivedReply* reply) {
  while (pendingCount_ >= kFrameHeaderSize) {
    const uint8_t type = pending_[0], length = pending_[1];
    const bool headerChecks = (type ^ length) == pending_[2];
    const int owedIndex = OldestOwedOfType(type);
    const bool startsReply = owedIndex >= 0 && (headerChecks || atFrameStart_);
    // A frame too long for any reply of ours is taken whole, whatever its
    // type, so that its tail is never read as a frame of its own.
    const bool oversized = length >= kOversizedLength && (headerChecks || startsReply);
    if (!startsReply && !oversized) {
      Consume(1);
      atFrameStart_ = false;
      continue;
    }
    const int size = kFrameHeaderSize + length;
    if (pendingCount_ < size) {
      wanted_ = size;
      return false;
    }
    *reply = ReceivedReply{};
    reply->oversized = oversized;
    memcpy(reply->frame.Bytes(), pending_, oversized ? kFrameHeaderSize : size);
    if (owedIndex >= 0) {
      // Replies come in order: sends older than the one answered got none.
      const OwedSend& answered = owed_[owedIndex];
      reply->sendId = answered.id;
      lastReplyMs_ = nowMs;
      DropOwed(owedIndex + 1);
    }
    Consume(size);
    atFrameStart_ = true;
    wanted_ = kFrameHeaderSize;
    return true;
  }
  wanted_ = kFrameHeaderSize;
  return false;
}
