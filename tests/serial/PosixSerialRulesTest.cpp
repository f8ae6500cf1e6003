// The POSIX serial layer's pure parts: which names are ports, how a Win32
// line-settings record maps onto termios and back, and when a read gives up.
#include <gtest/gtest.h>

#include <climits>

#include "sys/posix/SerialTermios.h"
#include "sys/posix/SerialWait.h"
#include "sys/posix/Tty.h"

namespace {

namespace st = sys::serialtermios;
using sys::tty::Deadline;

TEST(SerialPortNames, ComOneToNineAreTheFirstNineSerialPorts) {
  EXPECT_EQ("/dev/ttyS0", st::DevicePath("COM1"));
  EXPECT_EQ("/dev/ttyS8", st::DevicePath("com9"));
  EXPECT_EQ("COM10", st::DevicePath("COM10"));
}

TEST(SerialTermiosMapping, CharacterFormatsRoundTrip) {
  struct Format {
    uint8_t byteSize, parity, stopBits;
    tcflag_t cflag;
  } const formats[] = {
      {8, 2, 0, CS8 | PARENB}, {7, 1, 0, CS7 | PARENB | PARODD},
      {8, 3, 2, CS8 | PARENB | PARODD | CMSPAR | CSTOPB}, {5, 0, 1, CS5 | CSTOPB},
  };
  for (const Format& format : formats) {
    sys::Dcb dcb{};
    dcb.ByteSize = format.byteSize, dcb.Parity = format.parity, dcb.StopBits = format.stopBits;
    dcb.XonChar = 0x11, dcb.XoffChar = 0x13;
    termios tio{};
    ASSERT_TRUE(st::ApplyDcb(dcb, &tio));
    EXPECT_EQ(format.cflag, tio.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB));
    sys::Dcb back{};
    st::ReadDcb(tio, 57600, &back);
    EXPECT_EQ(format.byteSize, back.ByteSize);
    EXPECT_EQ(format.parity, back.Parity);
    EXPECT_EQ(format.stopBits, back.StopBits);
  }
}

TEST(SerialDeadline, PollTimeoutRoundsUpSoAWaitNeverEndsEarly) {
  Deadline deadline = Deadline::AfterMs(5000000, 250);
  EXPECT_EQ(1, deadline.PollTimeoutMs(5249999));
  EXPECT_EQ(0, deadline.PollTimeoutMs(5900000));
  EXPECT_EQ(-1, Deadline::Never().PollTimeoutMs(5000000));
}

TEST(SerialReadPlan, FirstWaitByTheWin32Rules) {
  const uint32_t kMax = 0xFFFFFFFFu;
  struct Case {
    sys::CommTimeouts timeouts;
    int waitMs;
  } const cases[] = {
      {{0, 10, 50, 0, 0}, 10 * 34 + 50},
      {{0, 0x80000000u, 0, 0, 0}, INT_MAX},  // 34 times that must not wrap to 0
      {{0, 0, 0, 0, 0}, 0},                  // nothing set: at once, never a hang
      {{kMax, kMax, 300, 0, 0}, 300},        // back on the first bytes, or empty then
      {{20, 0, 0, 0, 0}, -1},                // an interval alone waits for the first byte
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.waitMs, sys::serialwait::ReadPlan(c.timeouts, 34, 0).Next(0, 0).PollTimeoutMs(0)) << c.waitMs;
  }
}

}  // namespace
