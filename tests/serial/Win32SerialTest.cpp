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

const unsigned kErrorFileNotFound = 2, kErrorAccessDenied = 5, kErrorSharingViolation = 32;

std::unique_ptr<sys::SerialDevice> OpenPort(const char* name) {
  return std::unique_ptr<sys::SerialDevice>(sys::PlatformSerialOpener().Open(name));
}

// The peer's answer to 0x01: the line as the far end sees it, and the DTR
// edges since the last answer.
struct PeerStatus {
  unsigned baud = 0;
  int dataBits = 0, stopBits = 0, dtr = -2, rts = -2, dtrRises = -1, dtrFalls = -1;
  char parity = '?';
};

class WinePort : public testing::Test {
 protected:
  void SetUp() override {
    name_ = std::getenv("QUAVREL_TEST_PORT");
    if (name_ == nullptr) GTEST_SKIP() << "needs the pty peer: run through run-win-serial.sh";
    port = OpenPort(name_);
    ASSERT_NE(nullptr, port) << "CreateFileA(" << name_ << ") error " << sys::LastError();
    ASSERT_TRUE(port->PurgeComm(sys::kPurgeRxClear | sys::kPurgeTxClear));
    ConfigureLine(57600, 0);
    SetTimeouts(2000);
  }

  void ConfigureLine(uint32_t baud, uint8_t parity) {
    sys::Dcb dcb;
    ASSERT_TRUE(port->GetCommState(&dcb)) << sys::LastError();
    dcb.BaudRate = baud, dcb.ByteSize = 8, dcb.Parity = parity, dcb.StopBits = 0;
    dcb.XonChar = 0x6E, dcb.XoffChar = 0x66, dcb.ErrorChar = 0x72, dcb.EofChar = 0, dcb.EvtChar = 0x76;
    ASSERT_TRUE(port->SetCommState(dcb)) << sys::LastError();
  }

  void SetTimeouts(uint32_t readMs) { ASSERT_TRUE(port->SetCommTimeouts(sys::CommTimeouts{0, 0, readMs, 0, 2000})); }

  void Send(const std::string& bytes) {
    unsigned written = 0;
    ASSERT_TRUE(port->WriteFile(bytes.data(), static_cast<unsigned>(bytes.size()), &written));
    ASSERT_EQ(bytes.size(), written);
  }

  std::string Receive(unsigned count, bool* ok) {
    std::string buffer(count, '\0');
    unsigned got = 0;
    *ok = port->ReadFile(&buffer[0], count, &got);
    buffer.resize(got);
    return buffer;
  }

  PeerStatus Status() {
    Send("\x01");
    std::string text, byte;
    bool ok;
    while ((text.empty() || text.back() != '\n') && !(byte = Receive(1, &ok)).empty()) text += byte;
    PeerStatus s;
    EXPECT_EQ(8, std::sscanf(text.c_str(), "S %u %d %c %d %d %d %d %d", &s.baud, &s.dataBits, &s.parity,
                             &s.stopBits, &s.dtr, &s.rts, &s.dtrRises, &s.dtrFalls))
        << text;
    return s;
  }

  const char* name_ = nullptr;
  std::unique_ptr<sys::SerialDevice> port;
};

TEST_F(WinePort, RateAndFormatReachTheFarEnd) {
  EXPECT_EQ(57600u, Status().baud);
  ConfigureLine(19200, 2);
  PeerStatus status = Status();
  EXPECT_EQ(19200u, status.baud);
  EXPECT_EQ(8, status.dataBits);
  EXPECT_EQ('E', status.parity);  // reported by the preload library: parity never crosses a pty
  EXPECT_EQ(1, status.stopBits);
}

TEST_F(WinePort, BytesBothWaysAndReadTimeOuts) {
  const std::string bytes("at^sqwe=1\r\x55\xA0\xA5\x00\xFF", 15);
  Send(bytes);
  bool ok = false;
  EXPECT_EQ(bytes, Receive(static_cast<unsigned>(bytes.size()), &ok));
  EXPECT_TRUE(ok);

  SetTimeouts(100);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ("", Receive(10, &ok));
  EXPECT_TRUE(ok);
  // It waited for its time-out (less a little: Wine times it on its own clock).
  EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count(),
            90);
  Send("ab");
  EXPECT_EQ("ab", Receive(34, &ok));
  EXPECT_TRUE(ok);
}

TEST_F(WinePort, ModemLinesWorkAndReachTheFarEnd) {
  // Setting the line up may have raised both already: start from low.
  ASSERT_TRUE(port->EscapeCommFunction(sys::kClrDtr)) << sys::LastError();
  ASSERT_TRUE(port->EscapeCommFunction(sys::kClrRts)) << sys::LastError();
  EXPECT_EQ(0, Status().dtr);
  EXPECT_TRUE(port->EscapeCommFunction(sys::kSetRts)) << sys::LastError();
  EXPECT_TRUE(port->EscapeCommFunction(sys::kSetDtr)) << sys::LastError();
  EXPECT_TRUE(port->EscapeCommFunction(sys::kClrDtr)) << sys::LastError();
  PeerStatus status = Status();
  EXPECT_EQ(0, status.dtr);
  EXPECT_EQ(1, status.rts);
  EXPECT_EQ(1, status.dtrRises);  // the pulse is over, and the far end still saw it
  EXPECT_EQ(1, status.dtrFalls);
}

TEST_F(WinePort, SecondOpenOfTheSamePortFails) {
  if (std::getenv("QUAVREL_UNDER_WINE")) GTEST_SKIP() << "Wine 8 opens a COM port twice despite no sharing";
  EXPECT_EQ(nullptr, OpenPort(name_));
  unsigned error = sys::LastError();
  EXPECT_TRUE(error == kErrorAccessDenied || error == kErrorSharingViolation) << error;
}

TEST(WineSerial, PortWithoutDeviceFailsToOpen) {
  const char* name = std::getenv("QUAVREL_TEST_MISSING_PORT");
  if (name == nullptr) GTEST_SKIP() << "run through run-win-serial.sh";
  EXPECT_EQ(nullptr, OpenPort(name));
  EXPECT_EQ(kErrorFileNotFound, sys::LastError());
}

}  // namespace
