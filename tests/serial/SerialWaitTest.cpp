// When POSIX serial reads and writes give up, from the Win32 time-outs.
#include <gtest/gtest.h>

#include <climits>

#include "sys/posix/SerialWait.h"

namespace {

using sys::CommTimeouts;
using sys::serialwait::Deadline;
using sys::serialwait::ReadPlan;
using sys::serialwait::WriteDeadline;

const uint32_t kMax = 0xFFFFFFFFu;
const uint64_t kNow = 5000000;  // any point on the monotonic clock

CommTimeouts Reads(uint32_t interval, uint32_t multiplier, uint32_t constant) {
  return CommTimeouts{interval, multiplier, constant, 0, 0};
}

TEST(SerialDeadline, PollTimeoutRoundsUpAndNeverEndsEarly) {
  Deadline deadline = Deadline::AfterMs(kNow, 250);
  EXPECT_EQ(250, deadline.PollTimeoutMs(kNow));
  EXPECT_EQ(1, deadline.PollTimeoutMs(kNow + 249999));  // 1 us left still waits a whole ms
  EXPECT_EQ(2, deadline.PollTimeoutMs(kNow + 248999));
  EXPECT_FALSE(deadline.HasPassed(kNow + 249999));
  EXPECT_TRUE(deadline.HasPassed(kNow + 250000));
  EXPECT_EQ(0, deadline.PollTimeoutMs(kNow + 900000));

  EXPECT_EQ(-1, Deadline::Never().PollTimeoutMs(kNow));
  EXPECT_FALSE(Deadline::Never().HasPassed(~0ull));
  EXPECT_EQ(INT_MAX, Deadline::AfterMs(kNow, 0xFFFFFFFFull * 1000).PollTimeoutMs(kNow));
}

TEST(SerialDeadline, EarlierPrefersTheSoonerAndIgnoresNever) {
  Deadline soon = Deadline::AfterMs(kNow, 10), late = Deadline::AfterMs(kNow, 20);
  EXPECT_EQ(10, Deadline::Earlier(soon, late).PollTimeoutMs(kNow));
  EXPECT_EQ(10, Deadline::Earlier(late, soon).PollTimeoutMs(kNow));
  EXPECT_EQ(20, Deadline::Earlier(Deadline::Never(), late).PollTimeoutMs(kNow));
  EXPECT_EQ(20, Deadline::Earlier(late, Deadline::Never()).PollTimeoutMs(kNow));
  EXPECT_TRUE(Deadline::Earlier(Deadline::Never(), Deadline::Never()).IsNever());
}

TEST(SerialReadPlan, TotalIsMultiplierTimesCountPlusConstant) {
  ReadPlan plan(Reads(0, 0, 250), 256, kNow);
  EXPECT_FALSE(plan.ReturnsOnFirstBytes());
  EXPECT_EQ(250, plan.Next(0, kNow).PollTimeoutMs(kNow));
  EXPECT_EQ(200, plan.Next(17, kNow + 40000).PollTimeoutMs(kNow + 50000));  // bytes do not extend it

  EXPECT_EQ(10 * 34 + 50, ReadPlan(Reads(0, 10, 50), 34, kNow).Next(0, kNow).PollTimeoutMs(kNow));
  // 64-bit arithmetic: a huge multiplier does not wrap round to a short wait.
  EXPECT_EQ(INT_MAX, ReadPlan(Reads(0, kMax, 0), 34, kNow).Next(0, kNow).PollTimeoutMs(kNow));
}

TEST(SerialReadPlan, NoTimeOutsAtAllReturnAtOnce) {
  EXPECT_EQ(0, ReadPlan(Reads(0, 0, 0), 10, kNow).Next(0, kNow).PollTimeoutMs(kNow));
  EXPECT_EQ(0, ReadPlan(Reads(kMax, 0, 0), 10, kNow).Next(0, kNow).PollTimeoutMs(kNow));
}

TEST(SerialReadPlan, MaxIntervalAndMultiplierWaitOnlyForTheFirstBytes) {
  ReadPlan plan(Reads(kMax, kMax, 300), 10, kNow);
  EXPECT_TRUE(plan.ReturnsOnFirstBytes());
  EXPECT_EQ(300, plan.Next(0, kNow).PollTimeoutMs(kNow));
  // A constant of 0 or MAXDWORD does not make that mode.
  EXPECT_FALSE(ReadPlan(Reads(kMax, kMax, 0), 10, kNow).ReturnsOnFirstBytes());
  EXPECT_FALSE(ReadPlan(Reads(kMax, kMax, kMax), 10, kNow).ReturnsOnFirstBytes());
}

TEST(SerialReadPlan, IntervalCountsFromTheLastByte) {
  ReadPlan intervalOnly(Reads(20, 0, 0), 10, kNow);
  EXPECT_TRUE(intervalOnly.Next(0, kNow).IsNever());  // waits for the first byte, as Win32 does
  EXPECT_EQ(20, intervalOnly.Next(3, kNow + 100000).PollTimeoutMs(kNow + 100000));

  ReadPlan both(Reads(20, 0, 100), 10, kNow);
  EXPECT_EQ(100, both.Next(0, kNow).PollTimeoutMs(kNow));
  EXPECT_EQ(20, both.Next(1, kNow + 10000).PollTimeoutMs(kNow + 10000));
  EXPECT_EQ(5, both.Next(1, kNow + 90000).PollTimeoutMs(kNow + 95000));  // total ends first
}

TEST(SerialWriteDeadline, ZeroMeansNoLimit) {
  EXPECT_TRUE(WriteDeadline(CommTimeouts{0, 0, 0, 0, 0}, 6, kNow).IsNever());
  EXPECT_EQ(250, WriteDeadline(CommTimeouts{0, 0, 0, 0, 250}, 6, kNow).PollTimeoutMs(kNow));
  EXPECT_EQ(2 * 6 + 50, WriteDeadline(CommTimeouts{7, 7, 7, 2, 50}, 6, kNow).PollTimeoutMs(kNow));
}

}  // namespace
