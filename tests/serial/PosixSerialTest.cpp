// The POSIX serial device on a real pseudo-terminal, beyond what every
// device must do (SerialContract.h): rates, a write that gives up, the
// exclusive open, a line that is gone or no line at all; and what the far
// end learns of the line from the preload library's events.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "sim/posix/PtyLine.h"
#include "sys/Serial.h"
#include "tests/support/TestSupport.h"

namespace {

std::unique_ptr<sys::SerialDevice> OpenPort(const std::string& name) {
  return std::unique_ptr<sys::SerialDevice>(sys::PlatformSerialOpener().Open(name.c_str()));
}

class PtySerial : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(line->Open());
    port = OpenPort(line->SlavePath());
    ASSERT_NE(nullptr, port) << "errno " << errno;
  }

  std::unique_ptr<sim::PtyLine> line = std::make_unique<sim::PtyLine>();
  std::unique_ptr<sys::SerialDevice> port;
};

TEST_F(PtySerial, RatesReachTheOtherSideThoughThePtyDropsParity) {
  sys::Dcb dcb;
  ASSERT_TRUE(port->GetCommState(&dcb));
  dcb.ByteSize = 8, dcb.StopBits = 0, dcb.Parity = 2;
  // Even parity at the rate the line has: the pty drops it, and when nothing
  // else changed glibc reports EINVAL. 250000 is outside the termios table.
  for (uint32_t baud : {dcb.BaudRate, 19200u, 250000u}) {
    dcb.BaudRate = baud;
    EXPECT_TRUE(port->SetCommState(dcb)) << baud << " errno " << errno;
    EXPECT_EQ(baud, line->Settings().baud);
  }
  dcb.BaudRate = 0;  // would hang the line up
  EXPECT_FALSE(port->SetCommState(dcb));
  EXPECT_EQ(EINVAL, errno);
}

TEST_F(PtySerial, WriteGivesUpAfterItsTimeOutAndReportsTheBytesWritten) {
  ASSERT_TRUE(port->SetCommTimeouts(sys::CommTimeouts{0, 0, 50, 0, 100}));
  std::string block(4 << 20, 'x');  // the phone reads nothing: the buffers fill
  unsigned written = 0;
  EXPECT_TRUE(port->WriteFile(block.data(), static_cast<unsigned>(block.size()), &written));
  EXPECT_GT(written, 0u);
  EXPECT_LT(written, block.size());
}

TEST_F(PtySerial, SecondOpenFailsAndClosingClearsTheExclusiveFlag) {
  EXPECT_EQ(nullptr, OpenPort(line->SlavePath()));
  EXPECT_EQ(EBUSY, errno);

  // The flag belongs to the tty, which the phone end keeps open: left set,
  // only root could open the port again.
  port.reset();
  int probe = open(line->SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(probe, 0);
  port = OpenPort(line->SlavePath());
  int exclusive = 0;
  ASSERT_EQ(0, ioctl(probe, TIOCGEXCL, &exclusive));
  EXPECT_EQ(1, exclusive);
  port.reset();
  ASSERT_EQ(0, ioctl(probe, TIOCGEXCL, &exclusive));
  EXPECT_EQ(0, exclusive);
  close(probe);
  char byte;
  EXPECT_EQ(0, line->Read(&byte, 1, 20));  // the phone end sees a time-out, not EIO
}

TEST_F(PtySerial, ReadFailsAtOnceWhenTheOtherEndIsGone) {
  ASSERT_TRUE(port->SetCommTimeouts(sys::CommTimeouts{0, 0, 60000, 0, 250}));
  line.reset();
  char buffer[4];
  EXPECT_FALSE(port->ReadFile(buffer, 4, nullptr));
  EXPECT_EQ(EIO, errno);
}

TEST(PosixSerial, AFileThatIsNoLineIsRefused) {
  testing_support::ScopedWorkDir dir;
  testing_support::WriteFile("plain", "not a line");
  EXPECT_EQ(nullptr, OpenPort("plain"));
  EXPECT_EQ(ENOTTY, errno);
}

TEST_F(PtySerial, OnlyWholeValidEventsForThisPtyMergeInOrder) {
  testing_support::ScopedWorkDir dir;
  ASSERT_TRUE(line->FollowLineEvents("events"));  // makes the FIFO
  const std::string tty = line->SlavePath();
  testing_support::WriteFile("events", tty + " LINE 57600 8 N 1\n/dev/pts/999 LINE 300 7 O 2\ngarbage\n" + tty +
                                           " RTS 2\n" + tty + " LINE 300 9 E 1\n" + tty + " LINE 300 8 X 1\n" + tty +
                                           " LINE 99999999999 8 E 1\n" + tty + " LINE 192");
  EXPECT_EQ(57600u, line->Settings().baud);  // half a line waits for the rest
  testing_support::WriteFile("events", "00 8 E 1\n" + tty + " DTR 1\n" + tty + " DTR 0\n");
  sim::LineSettings seen = line->Settings();
  EXPECT_EQ(19200u, seen.baud);
  EXPECT_EQ('E', seen.parity);
  EXPECT_EQ(0, seen.dtr);
  EXPECT_EQ(4u, line->TakeEvents().size());  // with the DTR pulse, though it is over
  EXPECT_TRUE(line->TakeEvents().empty());
}

}  // namespace
