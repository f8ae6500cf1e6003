// The POSIX serial device against a real pseudo-terminal, with the test as
// the phone on the other end.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "sim/PtyLine.h"
#include "sys/Serial.h"
#include "tests/support/TestSupport.h"

namespace {

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

std::unique_ptr<sys::SerialDevice> OpenPort(const std::string& name) {
  return std::unique_ptr<sys::SerialDevice>(sys::PlatformSerialOpener().Open(name.c_str()));
}

class PtySerial : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(line.Open());
    port = OpenPort(line.SlavePath());
    ASSERT_NE(nullptr, port) << "errno " << errno;
  }

  void SetTimeouts(uint32_t readMs, uint32_t writeMs) {
    ASSERT_TRUE(port->SetCommTimeouts(sys::CommTimeouts{0, 0, readMs, 0, writeMs}));
  }

  // What the phone link's set-up does: the driver's record with the rate,
  // the character format and the fixed characters written over it.
  void Setup(uint32_t baud, uint8_t parity) {
    sys::Dcb dcb;
    ASSERT_TRUE(port->GetCommState(&dcb));
    dcb.BaudRate = baud;
    dcb.ByteSize = 8;
    dcb.Parity = parity;
    dcb.StopBits = 0;
    dcb.XonChar = 0x6E;
    dcb.XoffChar = 0x66;
    dcb.ErrorChar = 0x72;
    dcb.EofChar = 0;
    dcb.EvtChar = 0x76;
    ASSERT_TRUE(port->SetCommState(dcb));
  }

  std::string ReadPort(unsigned count, bool* ok = nullptr) {
    std::vector<char> buffer(count);
    unsigned got = 12345;
    bool result = port->ReadFile(buffer.data(), count, &got);
    if (ok) *ok = result;
    EXPECT_LE(got, count);
    return std::string(buffer.data(), got <= count ? got : 0);
  }

  // Everything the phone end receives within timeoutMs.
  std::string ReadPhone(int timeoutMs) {
    std::string all;
    char chunk[256];
    for (int n; (n = line.Read(chunk, sizeof chunk, timeoutMs)) > 0;) all.append(chunk, n);
    return all;
  }

  sim::PtyLine line;
  std::unique_ptr<sys::SerialDevice> port;
};

TEST_F(PtySerial, RateIsSeenFromTheOtherSideAndUnkeptFieldsStay) {
  Setup(57600, 0);
  sim::LineSettings seen = line.Settings();
  EXPECT_EQ(57600u, seen.baud);
  EXPECT_EQ(1, seen.stopBits);
  EXPECT_EQ('?', seen.parity);  // a pty cannot tell

  // Even parity at the same rate: the pty drops the parity and takes
  // nothing else, which glibc reports as EINVAL. The port still works.
  Setup(57600, 2);
  Setup(19200, 2);
  EXPECT_EQ(19200u, line.Settings().baud);
  sys::Dcb dcb;
  ASSERT_TRUE(port->GetCommState(&dcb));
  EXPECT_EQ(19200u, dcb.BaudRate);
  EXPECT_EQ(8, dcb.ByteSize);
  EXPECT_EQ(0, dcb.Parity);  // what the driver has: a pty drops parity
  EXPECT_EQ(0, dcb.StopBits);
  EXPECT_EQ(0x72, dcb.ErrorChar);
  EXPECT_EQ(0x76, dcb.EvtChar);
  EXPECT_EQ(1u, dcb.fDtrControl);
  EXPECT_EQ(1u, dcb.fRtsControl);
  EXPECT_EQ(1u, dcb.fBinary);
}

TEST_F(PtySerial, RatesOutsideTheTableAndRateZero) {
  Setup(250000, 0);
  sys::Dcb dcb;
  ASSERT_TRUE(port->GetCommState(&dcb));
  EXPECT_EQ(250000u, dcb.BaudRate);
  EXPECT_EQ(250000u, line.Settings().baud);

  // Rate 0 would hang the line up: refused, and the line keeps its rate.
  dcb.BaudRate = 0;
  errno = 0;
  EXPECT_FALSE(port->SetCommState(dcb));
  EXPECT_EQ(EINVAL, errno);
  ASSERT_TRUE(port->GetCommState(&dcb));
  EXPECT_EQ(250000u, dcb.BaudRate);
}

TEST_F(PtySerial, ReadThatGetsAllItsBytesReturnsAtOnce) {
  SetTimeouts(60000, 250);
  ASSERT_EQ(5, line.Write("hello", 5, 1000));
  Clock::time_point start = Clock::now();
  bool ok = false;
  EXPECT_EQ("hello", ReadPort(5, &ok));
  EXPECT_TRUE(ok);
  EXPECT_LT(MsSince(start), 60000);
}

TEST_F(PtySerial, SilentLineReadsNothingAfterTheTotalTimeOut) {
  SetTimeouts(100, 250);
  Clock::time_point start = Clock::now();
  bool ok = false;
  EXPECT_EQ("", ReadPort(10, &ok));
  EXPECT_TRUE(ok);
  EXPECT_GE(MsSince(start), 100);
}

TEST_F(PtySerial, ShortReadAtTheTimeOutSucceedsWithWhatCame) {
  SetTimeouts(100, 250);
  ASSERT_EQ(3, line.Write("\x02\x00\x02", 3, 1000));
  Clock::time_point start = Clock::now();
  bool ok = false;
  EXPECT_EQ(std::string("\x02\x00\x02", 3), ReadPort(34, &ok));
  EXPECT_TRUE(ok);
  EXPECT_GE(MsSince(start), 100);
}

TEST_F(PtySerial, BytesComingDuringTheWaitAreCollected) {
  SetTimeouts(5000, 250);
  std::thread phone([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    line.Write("ab", 2, 1000);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    line.Write("cd", 2, 1000);
  });
  EXPECT_EQ("abcd", ReadPort(4));
  phone.join();
}

TEST_F(PtySerial, BytesPassUnchangedBothWays) {
  SetTimeouts(50, 250);
  Setup(57600, 0);
  unsigned written = 0;
  ASSERT_TRUE(port->WriteFile("at^sqwe=1\r", 10, &written));
  EXPECT_EQ(10u, written);
  EXPECT_EQ("at^sqwe=1\r", ReadPhone(100));

  const std::string reply("\r\nOK\r\n\x11\x13\x00\xff", 10);
  ASSERT_EQ(10, line.Write(reply.data(), reply.size(), 1000));
  SetTimeouts(2000, 250);
  EXPECT_EQ(reply, ReadPort(10));
  // Nothing is echoed back to either side.
  SetTimeouts(50, 250);
  EXPECT_EQ("", ReadPort(1));
  EXPECT_EQ("", ReadPhone(50));
}

TEST_F(PtySerial, WriteGivesUpAfterItsTimeOutAndReportsTheBytesWritten) {
  SetTimeouts(50, 100);
  // The phone reads nothing, so the line's buffers fill.
  std::vector<char> block(4 << 20, 'x');
  unsigned written = 0;
  Clock::time_point start = Clock::now();
  EXPECT_TRUE(port->WriteFile(block.data(), static_cast<unsigned>(block.size()), &written));
  EXPECT_GT(written, 0u);
  EXPECT_LT(written, block.size());
  EXPECT_GE(MsSince(start), 100);
}

TEST_F(PtySerial, ModemLinesOnAPtyAreAcceptedAsNoOps) {
  for (unsigned function : {sys::kSetRts, sys::kSetDtr, sys::kClrDtr, sys::kClrRts}) {
    EXPECT_TRUE(port->EscapeCommFunction(function)) << function;
  }
  errno = 0;
  EXPECT_FALSE(port->EscapeCommFunction(99));
  EXPECT_EQ(EINVAL, errno);
}

TEST_F(PtySerial, PurgeDropsWhatHasArrived) {
  // A second descriptor (opened before the port, which keeps others out)
  // shows when the bytes are in the port's queue without taking them.
  port.reset();
  int watcher = open(line.SlavePath().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(watcher, 0);
  port = OpenPort(line.SlavePath());
  ASSERT_NE(nullptr, port);
  ASSERT_EQ(4, line.Write("junk", 4, 1000));
  pollfd ready{watcher, POLLIN, 0};
  ASSERT_EQ(1, poll(&ready, 1, 5000));
  close(watcher);

  EXPECT_TRUE(port->PurgeComm(sys::kPurgeTxAbort | sys::kPurgeRxAbort | sys::kPurgeTxClear | sys::kPurgeRxClear));
  SetTimeouts(50, 250);
  EXPECT_EQ("", ReadPort(4));

  errno = 0;
  EXPECT_FALSE(port->PurgeComm(0x10));
  EXPECT_EQ(EINVAL, errno);
}

TEST_F(PtySerial, ClearCommErrorReportsNoErrors) {
  unsigned errors = 77;
  EXPECT_TRUE(port->ClearCommError(&errors));
  EXPECT_EQ(0u, errors);
  EXPECT_TRUE(port->ClearCommError(nullptr));
}

TEST_F(PtySerial, SecondOpenFailsUntilTheFirstIsClosed) {
  errno = 0;
  EXPECT_EQ(nullptr, OpenPort(line.SlavePath()));
  EXPECT_EQ(EBUSY, errno);

  // The exclusive flag belongs to the tty, which the phone end keeps open:
  // closing the port must clear it, or nobody but root could open it again.
  port.reset();
  int probe = open(line.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(probe, 0);
  port = OpenPort(line.SlavePath());
  ASSERT_NE(nullptr, port);
  int exclusive = 0;
  ASSERT_EQ(0, ioctl(probe, TIOCGEXCL, &exclusive));
  EXPECT_EQ(1, exclusive);
  port.reset();
  ASSERT_EQ(0, ioctl(probe, TIOCGEXCL, &exclusive));
  EXPECT_EQ(0, exclusive);
  close(probe);

  port = OpenPort(line.SlavePath());
  EXPECT_NE(nullptr, port);
}

TEST_F(PtySerial, PhoneEndStaysUsableWhenThePortCloses) {
  port.reset();
  char byte;
  EXPECT_EQ(0, line.Read(&byte, 1, 20));  // a time-out, not EIO
  EXPECT_EQ(1, line.Write("x", 1, 1000));
  port = OpenPort(line.SlavePath());
  ASSERT_NE(nullptr, port);
  SetTimeouts(2000, 250);
  EXPECT_EQ("x", ReadPort(1));  // what the phone sent meanwhile waits in the queue
}

TEST(PosixSerial, ReadFailsInsteadOfWaitingWhenTheOtherEndIsGone) {
  auto line = std::make_unique<sim::PtyLine>();
  ASSERT_TRUE(line->Open());
  std::unique_ptr<sys::SerialDevice> port = OpenPort(line->SlavePath());
  ASSERT_NE(nullptr, port);
  ASSERT_TRUE(port->SetCommTimeouts(sys::CommTimeouts{0, 0, 60000, 0, 250}));
  line.reset();

  char buffer[4];
  unsigned got = 9;
  Clock::time_point start = Clock::now();
  errno = 0;
  EXPECT_FALSE(port->ReadFile(buffer, 4, &got));
  EXPECT_EQ(0u, got);
  EXPECT_EQ(EIO, errno);
  EXPECT_LT(MsSince(start), 60000);
}

TEST(PosixSerial, NamesThatAreNoPortFailCleanly) {
  testing_support::ScopedWorkDir dir;
  errno = 0;
  EXPECT_EQ(nullptr, OpenPort((dir.Path() / "missing").string()));
  EXPECT_EQ(ENOENT, errno);

  testing_support::WriteFile(dir.Path() / "plain", "not a line");
  errno = 0;
  EXPECT_EQ(nullptr, OpenPort((dir.Path() / "plain").string()));
  EXPECT_EQ(ENOTTY, errno);

  errno = 0;
  EXPECT_EQ(nullptr, OpenPort(""));
  EXPECT_EQ(ENOENT, errno);
}

TEST(PosixSerial, ComOneIsTheFirstSerialPort) {
  if (!std::filesystem::exists("/dev/ttyS0")) {
    errno = 0;
    EXPECT_EQ(nullptr, OpenPort("COM1"));
    EXPECT_EQ(ENOENT, errno);
    return;
  }
  std::unique_ptr<sys::SerialDevice> com1 = OpenPort("COM1");
  int com1Error = errno;
  if (com1) {
    errno = 0;
    EXPECT_EQ(nullptr, OpenPort("/dev/ttyS0"));  // held by the COM1 handle
    EXPECT_EQ(EBUSY, errno);
  } else {
    errno = 0;
    EXPECT_EQ(nullptr, OpenPort("/dev/ttyS0"));
    EXPECT_EQ(com1Error, errno);
  }
}

}  // namespace
