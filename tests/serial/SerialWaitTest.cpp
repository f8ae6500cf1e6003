// When POSIX serial reads and writes give up, from the Win32 time-outs.
#include <gtest/gtest.h>

#include <climits>

#include "sys/posix/SerialWait.h"

namespace {

using sys::serialwait::Deadline;
using sys::serialwait::ReadPlan;

const uint32_t kMax = 0xFFFFFFFFu;
const uint64_t kNow = 5000000;

int ReadWaitMs(uint32_t interval, uint32_t multiplier, uint32_t constant, unsigned count) {
  return ReadPlan(sys::CommTimeouts{interval, multiplier, constant, 0, 0}, count, kNow).Next(0, kNow).PollTimeoutMs(kNow);
}

TEST(SerialDeadline, PollTimeoutRoundsUpSoAWaitNeverEndsEarly) {
  Deadline deadline = Deadline::AfterMs(kNow, 250);
  EXPECT_EQ(250, deadline.PollTimeoutMs(kNow));
  EXPECT_EQ(1, deadline.PollTimeoutMs(kNow + 249999));
  EXPECT_FALSE(deadline.HasPassed(kNow + 249999));
  EXPECT_TRUE(deadline.HasPassed(kNow + 250000));
  EXPECT_EQ(0, deadline.PollTimeoutMs(kNow + 900000));
  EXPECT_EQ(-1, Deadline::Never().PollTimeoutMs(kNow));
  EXPECT_EQ(20, Deadline::Earlier(Deadline::Never(), Deadline::AfterMs(kNow, 20)).PollTimeoutMs(kNow));
}

TEST(SerialReadPlan, Win32TimeOutRules) {
  EXPECT_EQ(10 * 34 + 50, ReadWaitMs(0, 10, 50, 34));
  EXPECT_EQ(INT_MAX, ReadWaitMs(0, kMax, 0, 34));  // 64-bit: no wrap to a short wait
  EXPECT_EQ(0, ReadWaitMs(0, 0, 0, 10));           // nothing set: at once, never a hang
  EXPECT_EQ(0, ReadWaitMs(kMax, 0, 0, 10));
  ReadPlan firstBytes(sys::CommTimeouts{kMax, kMax, 300, 0, 0}, 10, kNow);
  EXPECT_TRUE(firstBytes.ReturnsOnFirstBytes());
  EXPECT_EQ(300, firstBytes.Next(0, kNow).PollTimeoutMs(kNow));
  EXPECT_FALSE(ReadPlan(sys::CommTimeouts{kMax, kMax, 0, 0, 0}, 10, kNow).ReturnsOnFirstBytes());
}

TEST(SerialReadPlan, IntervalCountsFromTheLastByteWithinTheTotal) {
  ReadPlan intervalOnly(sys::CommTimeouts{20, 0, 0, 0, 0}, 10, kNow);
  EXPECT_TRUE(intervalOnly.Next(0, kNow).IsNever());
  EXPECT_EQ(20, intervalOnly.Next(3, kNow + 100000).PollTimeoutMs(kNow + 100000));
  ReadPlan both(sys::CommTimeouts{20, 0, 100, 0, 0}, 10, kNow);
  EXPECT_EQ(20, both.Next(1, kNow + 10000).PollTimeoutMs(kNow + 10000));
  EXPECT_EQ(5, both.Next(1, kNow + 90000).PollTimeoutMs(kNow + 95000));
}

TEST(SerialWriteDeadline, MultiplierTimesCountPlusConstantAndZeroMeansNoLimit) {
  EXPECT_TRUE(sys::serialwait::WriteDeadline(sys::CommTimeouts{0, 0, 0, 0, 0}, 6, kNow).IsNever());
  EXPECT_EQ(62, sys::serialwait::WriteDeadline(sys::CommTimeouts{7, 7, 7, 2, 50}, 6, kNow).PollTimeoutMs(kNow));
}

}  // namespace
