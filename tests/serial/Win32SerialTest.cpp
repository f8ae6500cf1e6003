// The Win32 serial device under Wine, on a pty whose far end is the native
// serial-peer (run-win-serial.sh wires it up as QUAVREL_TEST_PORT, with the
// modem-line preload library loaded into Wine).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "sys/Serial.h"
#include "sys/SystemInfo.h"

namespace {

using Clock = std::chrono::steady_clock;

const unsigned kErrorFileNotFound = 2;
const unsigned kErrorAccessDenied = 5;
const unsigned kErrorSharingViolation = 32;
const unsigned char kStatusRequest = 0x01;

std::unique_ptr<sys::SerialDevice> OpenPort(const char* name) {
  return std::unique_ptr<sys::SerialDevice>(sys::PlatformSerialOpener().Open(name));
}

struct PeerStatus {
  unsigned baud = 0;
  int dataBits = 0;
  char parity = '?';
  int stopBits = 0, dtr = -2, rts = -2, dtrRises = -1, dtrFalls = -1;
};

class WinePort : public testing::Test {
 protected:
  void SetUp() override {
    name_ = std::getenv("QUAVREL_TEST_PORT");
    if (name_ == nullptr) GTEST_SKIP() << "needs the pty peer: run through run-win-serial.sh";
    port = OpenPort(name_);
    ASSERT_NE(nullptr, port) << "CreateFileA(" << name_ << ") error " << sys::LastError();
    ASSERT_TRUE(port->PurgeComm(sys::kPurgeRxClear | sys::kPurgeTxClear));
    Configure(57600, 0);
    SetTimeouts(2000, 2000);
  }

  void Configure(uint32_t baud, uint8_t parity) {
    sys::Dcb dcb;
    ASSERT_TRUE(port->GetCommState(&dcb)) << sys::LastError();
    dcb.BaudRate = baud;
    dcb.ByteSize = 8;
    dcb.Parity = parity;
    dcb.StopBits = 0;
    dcb.XonChar = 0x6E;
    dcb.XoffChar = 0x66;
    dcb.ErrorChar = 0x72;
    dcb.EofChar = 0;
    dcb.EvtChar = 0x76;
    ASSERT_TRUE(port->SetCommState(dcb)) << sys::LastError();
  }

  void SetTimeouts(uint32_t readMs, uint32_t writeMs) {
    ASSERT_TRUE(port->SetCommTimeouts(sys::CommTimeouts{0, 0, readMs, 0, writeMs}));
  }

  void Send(const std::string& bytes) {
    unsigned written = 0;
    ASSERT_TRUE(port->WriteFile(bytes.data(), static_cast<unsigned>(bytes.size()), &written));
    ASSERT_EQ(bytes.size(), written);
  }

  std::string Receive(unsigned count, bool* ok = nullptr) {
    std::string buffer(count, '\0');
    unsigned got = 0;
    bool result = port->ReadFile(&buffer[0], count, &got);
    if (ok) *ok = result;
    buffer.resize(got <= count ? got : 0);
    return buffer;
  }

  PeerStatus Status() {
    Send(std::string(1, static_cast<char>(kStatusRequest)));
    std::string text;
    for (std::string byte; text.empty() || text.back() != '\n'; text += byte) {
      byte = Receive(1);
      if (byte.empty()) break;
    }
    PeerStatus status;
    EXPECT_EQ(8, std::sscanf(text.c_str(), "S %u %d %c %d %d %d %d %d", &status.baud, &status.dataBits,
                             &status.parity, &status.stopBits, &status.dtr, &status.rts, &status.dtrRises,
                             &status.dtrFalls))
        << text;
    return status;
  }

  const char* name_ = nullptr;
  std::unique_ptr<sys::SerialDevice> port;
};

TEST_F(WinePort, RateAndFormatReachTheFarEnd) {
  EXPECT_EQ(57600u, Status().baud);
  Configure(19200, 2);
  PeerStatus status = Status();
  EXPECT_EQ(19200u, status.baud);
  // Parity never crosses a pty; the preload library reports what was asked.
  EXPECT_EQ(8, status.dataBits);
  EXPECT_EQ('E', status.parity);
  EXPECT_EQ(1, status.stopBits);
  Configure(115200, 0);
  status = Status();
  EXPECT_EQ(115200u, status.baud);
  EXPECT_EQ('N', status.parity);
}

TEST_F(WinePort, BytesBothWays) {
  const std::string bytes("at^sqwe=1\r\x55\xA0\xA5\x00\xFF", 15);
  Send(bytes);
  bool ok = false;
  EXPECT_EQ(bytes, Receive(static_cast<unsigned>(bytes.size()), &ok));
  EXPECT_TRUE(ok);
}

TEST_F(WinePort, ReadTimeOutEndsWithWhatCameAsSuccess) {
  SetTimeouts(100, 250);
  bool ok = false;
  Clock::time_point start = Clock::now();
  EXPECT_EQ("", Receive(10, &ok));
  EXPECT_TRUE(ok);
  // It waited for its time-out (less a little: Wine times it on its own clock).
  EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count(), 90);

  Send("ab");
  ok = false;
  EXPECT_EQ("ab", Receive(34, &ok));
  EXPECT_TRUE(ok);
}

TEST_F(WinePort, ModemLinesWorkAndReachTheFarEnd) {
  // Setting the line up may have raised both already: start from low.
  ASSERT_TRUE(port->EscapeCommFunction(sys::kClrDtr)) << sys::LastError();
  ASSERT_TRUE(port->EscapeCommFunction(sys::kClrRts)) << sys::LastError();
  PeerStatus status = Status();
  EXPECT_EQ(0, status.dtr);
  EXPECT_EQ(0, status.rts);

  EXPECT_TRUE(port->EscapeCommFunction(sys::kSetRts)) << sys::LastError();
  EXPECT_TRUE(port->EscapeCommFunction(sys::kSetDtr)) << sys::LastError();
  EXPECT_TRUE(port->EscapeCommFunction(sys::kClrDtr)) << sys::LastError();
  status = Status();
  EXPECT_EQ(0, status.dtr);
  EXPECT_EQ(1, status.rts);
  // The pulse is over, and the far end still saw it.
  EXPECT_EQ(1, status.dtrRises);
  EXPECT_EQ(1, status.dtrFalls);
}

TEST_F(WinePort, PurgeAndClearCommErrorSucceed) {
  EXPECT_TRUE(port->PurgeComm(sys::kPurgeTxAbort | sys::kPurgeRxAbort | sys::kPurgeTxClear | sys::kPurgeRxClear));
  unsigned errors = 77;
  EXPECT_TRUE(port->ClearCommError(&errors)) << sys::LastError();
  EXPECT_EQ(0u, errors);
}

TEST_F(WinePort, SecondOpenOfTheSamePortFails) {
  if (std::getenv("QUAVREL_UNDER_WINE")) {
    GTEST_SKIP() << "Wine 8 opens a COM port a second time although no sharing was asked for";
  }
  sys::SetLastError(0);
  EXPECT_EQ(nullptr, OpenPort(name_));
  // Windows' serial driver refuses a second open outright; a port that is
  // a file share-checks instead.
  EXPECT_TRUE(sys::LastError() == kErrorAccessDenied || sys::LastError() == kErrorSharingViolation)
      << sys::LastError();
  port.reset();
  EXPECT_NE(nullptr, OpenPort(name_));
}

TEST(WineSerial, PortWithoutDeviceFailsToOpen) {
  const char* name = std::getenv("QUAVREL_TEST_MISSING_PORT");
  if (name == nullptr) GTEST_SKIP() << "run through run-win-serial.sh";
  sys::SetLastError(0);
  EXPECT_EQ(nullptr, OpenPort(name));
  EXPECT_EQ(kErrorFileNotFound, sys::LastError());
}

}  // namespace
