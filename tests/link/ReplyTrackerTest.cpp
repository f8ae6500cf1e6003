// Finding replies in what was read, and counting each for its own send.
#include "link/ReplyTracker.h"
#include "tests/link/LinkTestSupport.h"

namespace link_test {
namespace {

const Bytes kTaken = Frame(0x14, {0x12}, true);
const Bytes kRefused = Frame(0x14, {0x13, 0x12}, true);
const Bytes kNoise = {0xFF, 0x7E, 0x00, 0xC3};

struct Tracker : ReplyTracker {
  void Read(const Bytes& bytes) { Append(bytes.data(), static_cast<int>(bytes.size())); }
  // The replies found in what was read, as "sendId:payload byte 0" (o for oversized).
  std::string Found(uint32_t nowMs = 0) {
    std::string found;
    ReceivedReply reply;
    while (NextReply(nowMs, &reply))
      found += (found.empty() ? "" : " ") + std::to_string(reply.sendId) + ":" +
               (reply.oversized ? "o" : std::to_string(reply.frame.payload[0]));
    return found;
  }
};

TEST(ReplyTracker, AReplySplitAnywhereIsOneReplyAndNoReadTakesMoreThanItNeeds) {
  for (size_t split = 0; split <= kTaken.size(); ++split) {
    SCOPED_TRACE(split);
    Tracker tracker;
    tracker.NoteSend(0x14, 0);
    tracker.Read(Bytes(kTaken.begin(), kTaken.begin() + split));
    if (split < kTaken.size()) {
      EXPECT_EQ(tracker.Found(), "");
      // Asking for more could take the first bytes of the next reply.
      EXPECT_EQ(tracker.BytesWanted(), split < 3 ? 3 - static_cast<int>(split) : static_cast<int>(5 - split));
      tracker.Read(Bytes(kTaken.begin() + split, kTaken.end()));
    }
    EXPECT_EQ(tracker.Found(), "1:18");
    EXPECT_FALSE(tracker.Owes());
  }
}

TEST(ReplyTracker, NoiseCostsOnlyItselfAndAnUncheckedHeaderCountsOnlyWhereAReplyMayStart) {
  const Bytes badCheck = {0x02, 0x02, 0xFF, 0x14, 0x14};
  const std::pair<Bytes, std::string> rows[] = {
      {kNoise + kTaken, "1:18"},
      {Bytes{0x0E, 0x01, 0x0F, 0x04} + kTaken, "1:18"},  // a frame of a type nobody awaits
      {kTaken + badCheck, "1:18 2:20"},                  // right after a whole frame: judged by type and N
      {badCheck, "2:20"},                                // on a fresh line: the same
      {kNoise + badCheck + kTaken, "1:18"},              // behind noise: not a reply
  };
  for (const auto& [read, found] : rows) {
    Tracker tracker;
    tracker.NoteSend(0x14, 0);
    tracker.NoteSend(0x02, 0);
    tracker.Read(read);
    EXPECT_EQ(tracker.Found(), found) << testing::PrintToString(read);
  }
}

TEST(ReplyTracker, OwedRepliesAreWaitedForAfterTheYoungestSendOrTheLastReplyAndThenForgottenWithHalfAReply) {
  Tracker tracker;
  tracker.NoteSend(0x14, 1000);
  tracker.NoteSend(0x14, 1350);
  EXPECT_EQ(tracker.OwedDeadlineMs(), 1350u + 445u);
  tracker.Read(kTaken);
  EXPECT_EQ(tracker.Found(1400), "1:18");
  // That reply may have been the first send's, late: the second's may come
  // as much later as the sends were apart.
  EXPECT_EQ(tracker.OwedDeadlineMs(), 1400u + 445u);

  tracker.Read({0x14, 0x02});
  tracker.GiveUpOwed();
  tracker.NoteSend(0x14, 2000);
  // The rest of the half-read reply cannot join into an acceptance of the
  // new send; the new send's own refusal is found.
  tracker.Read(Bytes{0x16, 0x12, 0x12} + kRefused);
  EXPECT_EQ(tracker.Found(), "3:19");
}

}  // namespace
}  // namespace link_test
