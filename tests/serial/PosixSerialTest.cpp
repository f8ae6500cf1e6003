// The POSIX serial layer: the serial contract on a pseudo-terminal whose
// master end the test holds (delayed sends come from helper threads); how a
// Win32 line-settings record maps onto termios and back; and on a real
// pseudo-terminal the rates, a write that gives up, the
// exclusive open, a line that is gone, and what the far end learns of the
// line from the preload library's events.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "sim/posix/PtyLine.h"
#include "sys/Serial.h"
#include "sys/posix/SerialTermios.h"
#include "tests/serial/SerialContract.h"
#include "tests/support/TestSupport.h"

namespace {

namespace st = sys::serialtermios;

std::unique_ptr<sys::SerialDevice> OpenPort(const std::string& name) {
  return std::unique_ptr<sys::SerialDevice>(sys::PlatformSerialOpener().Open(name.c_str()));
}

class PtyContractRig : public serialcontract::Rig {
 public:
  ~PtyContractRig() override { JoinSends(); }

  bool Restart() override {
    JoinSends();
    port_.reset();
    line_ = std::make_unique<sim::PtyLine>();
    if (line_->Open()) port_ = OpenPort(line_->SlavePath());
    if (!port_) std::perror("pty");
    return port_ && serialcontract::SetUpLine(*port_);
  }
  sys::SerialDevice& Device() override { return *port_; }

  // PtyLine::Write touches nothing but the master descriptor, so the sends
  // may run beside the test's use of the port.
  void SendAfter(uint32_t afterMs, const std::string& bytes) override {
    sends_.emplace_back([line = line_.get(), afterMs, bytes] {
      std::this_thread::sleep_for(std::chrono::milliseconds(afterMs));
      line->Write(bytes.data(), bytes.size(), 1000);
    });
  }
  std::string TakeReceived(size_t expected) override {
    JoinSends();
    std::string received;
    char chunk[4096];  // what is expected, and anything beyond that is there
    for (int n; (n = line_->Read(chunk, sizeof chunk, received.size() < expected ? 1000 : 0)) > 0;)
      received.append(chunk, n);
    return received;
  }

  unsigned InvalidParameterError() const override { return EINVAL; }

 private:
  void JoinSends() {
    for (std::thread& send : sends_) send.join();
    sends_.clear();
  }

  std::unique_ptr<sim::PtyLine> line_;
  std::unique_ptr<sys::SerialDevice> port_;
  std::vector<std::thread> sends_;
};

TEST(SerialTermiosMapping, CharacterFormatsRoundTrip) {
  struct Format {
    uint8_t byteSize, parity, stopBits;
    tcflag_t cflag;
  } const formats[] = {
      {8, 2, 0, CS8 | PARENB}, {7, 1, 0, CS7 | PARENB | PARODD},
      {8, 3, 2, CS8 | PARENB | PARODD | CMSPAR | CSTOPB}, {5, 0, 1, CS5 | CSTOPB},
  };
  for (const Format& format : formats) {
    sys::Dcb dcb{}, back{};
    dcb.ByteSize = format.byteSize, dcb.Parity = format.parity, dcb.StopBits = format.stopBits;
    dcb.XonChar = 0x11, dcb.XoffChar = 0x13;
    termios tio{};
    ASSERT_TRUE(st::ApplyDcb(dcb, &tio));
    EXPECT_EQ(format.cflag, tio.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB));
    st::ReadDcb(tio, 57600, &back);
    EXPECT_EQ((std::vector<int>{format.byteSize, format.parity, format.stopBits}),
              (std::vector<int>{back.ByteSize, back.Parity, back.StopBits}));
  }
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
}

}  // namespace

namespace serialcontract {
INSTANTIATE_TYPED_TEST_SUITE_P(Pty, SerialContract, PtyContractRig);
}
