// The POSIX serial device against a real pseudo-terminal, with the test as
// the phone on the other end.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
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

  // As the phone link sets a port up: the driver's record, rate and format over it.
  void ConfigureLine(uint32_t baud, uint8_t parity) {
    sys::Dcb dcb;
    ASSERT_TRUE(port->GetCommState(&dcb));
    dcb.BaudRate = baud, dcb.ByteSize = 8, dcb.Parity = parity, dcb.StopBits = 0;
    dcb.XonChar = 0x6E, dcb.XoffChar = 0x66, dcb.ErrorChar = 0x72, dcb.EofChar = 0, dcb.EvtChar = 0x76;
    ASSERT_TRUE(port->SetCommState(dcb)) << errno;
  }

  std::string ReadPort(unsigned count, bool* ok) {
    std::vector<char> buffer(count);
    unsigned got = 0;
    *ok = port->ReadFile(buffer.data(), count, &got);
    return std::string(buffer.data(), got);
  }

  std::string ReadPhone(int timeoutMs) {
    std::string all;
    char chunk[256];
    for (int n; (n = line.Read(chunk, sizeof chunk, timeoutMs)) > 0;) all.append(chunk, n);
    return all;
  }

  sim::PtyLine line;
  std::unique_ptr<sys::SerialDevice> port;
};

TEST_F(PtySerial, SettingsReachTheOtherSideAndUnkeptFieldsStay) {
  ConfigureLine(57600, 0);
  EXPECT_EQ(57600u, line.Settings().baud);
  // Same rate, even parity: the pty drops the parity alone, which glibc
  // reports as EINVAL; the port must still take it.
  ConfigureLine(57600, 2);
  ConfigureLine(19200, 2);
  EXPECT_EQ(19200u, line.Settings().baud);
  EXPECT_EQ('?', line.Settings().parity);

  sys::Dcb dcb;
  ASSERT_TRUE(port->GetCommState(&dcb));
  EXPECT_EQ(19200u, dcb.BaudRate);
  EXPECT_EQ(0, dcb.Parity);  // what the driver has
  EXPECT_EQ(0x76, dcb.EvtChar);
  EXPECT_EQ(1u, dcb.fDtrControl);

  ConfigureLine(250000, 0);  // outside the termios table
  ASSERT_TRUE(port->GetCommState(&dcb));
  EXPECT_EQ(250000u, dcb.BaudRate);
  EXPECT_EQ(250000u, line.Settings().baud);

  dcb.BaudRate = 0;  // would hang the line up
  EXPECT_FALSE(port->SetCommState(dcb));
  EXPECT_EQ(EINVAL, errno);
}

TEST_F(PtySerial, ReadWaitsForAllItsBytesOrItsTotalTimeOut) {
  bool ok = false;
  SetTimeouts(60000, 250);
  ASSERT_EQ(5, line.Write("hello", 5, 1000));
  Clock::time_point start = Clock::now();
  EXPECT_EQ("hello", ReadPort(5, &ok));
  EXPECT_TRUE(ok);
  EXPECT_LT(MsSince(start), 60000);  // did not wait for the time-out

  SetTimeouts(100, 250);
  start = Clock::now();
  EXPECT_EQ("", ReadPort(10, &ok));
  EXPECT_TRUE(ok);
  EXPECT_GE(MsSince(start), 100);

  ASSERT_EQ(3, line.Write("\x02\x00\x02", 3, 1000));
  start = Clock::now();
  EXPECT_EQ(std::string("\x02\x00\x02", 3), ReadPort(34, &ok));
  EXPECT_TRUE(ok);
  EXPECT_GE(MsSince(start), 100);
}

TEST_F(PtySerial, BytesComingDuringTheWaitAreCollected) {
  SetTimeouts(5000, 250);
  std::thread phone([this] {
    for (const char* piece : {"ab", "cd"}) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      line.Write(piece, 2, 1000);
    }
  });
  bool ok = false;
  EXPECT_EQ("abcd", ReadPort(4, &ok));
  phone.join();
}

TEST_F(PtySerial, BytesPassUnchangedBothWays) {
  ConfigureLine(57600, 0);
  unsigned written = 0;
  ASSERT_TRUE(port->WriteFile("at^sqwe=1\r", 10, &written));
  EXPECT_EQ(10u, written);
  EXPECT_EQ("at^sqwe=1\r", ReadPhone(100));

  const std::string reply("\r\nOK\r\n\x11\x13\x00\xff", 10);
  ASSERT_EQ(10, line.Write(reply.data(), reply.size(), 1000));
  SetTimeouts(2000, 250);
  bool ok = false;
  EXPECT_EQ(reply, ReadPort(10, &ok));
  SetTimeouts(50, 250);  // and nothing is echoed to either side
  EXPECT_EQ("", ReadPort(1, &ok));
  EXPECT_EQ("", ReadPhone(50));
}

TEST_F(PtySerial, WriteGivesUpAfterItsTimeOutAndReportsTheBytesWritten) {
  SetTimeouts(50, 100);
  std::vector<char> block(4 << 20, 'x');  // the phone reads nothing: the buffers fill
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
  EXPECT_FALSE(port->EscapeCommFunction(99));
  EXPECT_EQ(EINVAL, errno);
}

TEST_F(PtySerial, SecondOpenFailsUntilTheFirstIsClosed) {
  errno = 0;
  EXPECT_EQ(nullptr, OpenPort(line.SlavePath()));
  EXPECT_EQ(EBUSY, errno);

  // The exclusive flag belongs to the tty, which the phone end keeps open:
  // closing the port must clear it, or only root could open it again.
  port.reset();
  int probe = open(line.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(probe, 0);
  port = OpenPort(line.SlavePath());
  int exclusive = 0;
  ASSERT_EQ(0, ioctl(probe, TIOCGEXCL, &exclusive));
  EXPECT_EQ(1, exclusive);
  port.reset();
  ASSERT_EQ(0, ioctl(probe, TIOCGEXCL, &exclusive));
  EXPECT_EQ(0, exclusive);
  close(probe);

  char byte;
  EXPECT_EQ(0, line.Read(&byte, 1, 20));  // the phone end sees a time-out, not EIO
  EXPECT_NE(nullptr, OpenPort(line.SlavePath()));
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
  EXPECT_FALSE(port->ReadFile(buffer, 4, &got));
  EXPECT_EQ(0u, got);
  EXPECT_EQ(EIO, errno);
  EXPECT_LT(MsSince(start), 60000);
}

TEST(PosixSerial, NamesThatAreNoPortFailCleanlyAndComOneIsTtyS0) {
  testing_support::ScopedWorkDir dir;
  EXPECT_EQ(nullptr, OpenPort((dir.Path() / "missing").string()));
  EXPECT_EQ(ENOENT, errno);
  testing_support::WriteFile(dir.Path() / "plain", "not a line");
  EXPECT_EQ(nullptr, OpenPort((dir.Path() / "plain").string()));
  EXPECT_EQ(ENOTTY, errno);

  if (!std::filesystem::exists("/dev/ttyS0")) {
    EXPECT_EQ(nullptr, OpenPort("COM1"));
    EXPECT_EQ(ENOENT, errno);
    return;
  }
  // With ttyS0 present, COM1 and /dev/ttyS0 must be the same port.
  std::unique_ptr<sys::SerialDevice> com1 = OpenPort("COM1");
  int com1Error = errno;
  EXPECT_EQ(nullptr, OpenPort("/dev/ttyS0"));
  EXPECT_EQ(com1 ? EBUSY : com1Error, errno);
}

}  // namespace
