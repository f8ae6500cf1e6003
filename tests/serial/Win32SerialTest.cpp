// The Win32 serial device under Wine, on a pty whose far end is the native
// serial-peer (run-win-serial.sh wires it up as QUAVREL_TEST_PORT, with the
// modem-line preload library loaded into Wine).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

#include "sys/Serial.h"
#include "sys/SystemInfo.h"

namespace {

class WinePort : public testing::Test {
 protected:
  void SetUp() override {
    const char* name = std::getenv("QUAVREL_TEST_PORT");
    if (name == nullptr) GTEST_SKIP() << "needs the pty peer: run through run-win-serial.sh";
    port.reset(sys::PlatformSerialOpener().Open(name));
    ASSERT_NE(nullptr, port) << "CreateFileA(" << name << ") error " << sys::LastError();
    ASSERT_TRUE(port->PurgeComm(sys::kPurgeRxClear | sys::kPurgeTxClear));
    ConfigureLine(57600, 0);
  }

  void ConfigureLine(uint32_t baud, uint8_t parity) {
    sys::Dcb dcb;
    ASSERT_TRUE(port->GetCommState(&dcb)) << sys::LastError();
    dcb.BaudRate = baud, dcb.ByteSize = 8, dcb.Parity = parity, dcb.StopBits = 0;
    ASSERT_TRUE(port->SetCommState(dcb)) << sys::LastError();
  }

  void Send(const std::string& bytes) {
    unsigned written = 0;
    ASSERT_TRUE(port->WriteFile(bytes.data(), static_cast<unsigned>(bytes.size()), &written));
    ASSERT_EQ(bytes.size(), written);
  }

  // Reads with a total time-out only, as the phone link does.
  std::string Receive(unsigned count, uint32_t timeoutMs = 2000) {
    EXPECT_TRUE(port->SetCommTimeouts(sys::CommTimeouts{0, 0, timeoutMs, 0, 2000}));
    std::string buffer(count, '\0');
    unsigned got = 0;
    EXPECT_TRUE(port->ReadFile(&buffer[0], count, &got)) << sys::LastError();
    buffer.resize(got);
    return buffer;
  }

  // The peer's view: "<baud> <parity> <dtr> <rts> <dtr rises> <dtr falls>\n",
  // the edges counted since the last status.
  std::string Status() {
    Send("\x01");
    std::string text, byte;
    while ((text.empty() || text.back() != '\n') && !(byte = Receive(1)).empty()) text += byte;
    return text;
  }

  std::unique_ptr<sys::SerialDevice> port;
};

TEST_F(WinePort, RateAndParityReachTheFarEnd) {
  ConfigureLine(19200, 2);
  // Parity as the preload library reported it: it never crosses a pty.
  EXPECT_EQ("19200 E ", Status().substr(0, 8));
}

TEST_F(WinePort, BytesBothWaysAndReadTimeOuts) {
  const std::string bytes("at^sqwe=1\r\x55\xA0\xA5\x00\xFF", 15);
  Send(bytes);
  EXPECT_EQ(bytes, Receive(static_cast<unsigned>(bytes.size())));

  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ("", Receive(10, 100));
  // It waited for its time-out (less a little: Wine times it on its own clock).
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(waited).count(), 90);
  Send("ab");
  EXPECT_EQ("ab", Receive(34, 100));
}

TEST_F(WinePort, ModemLinesWorkAndReachTheFarEnd) {
  // Setting the line up may have raised both already: start from low.
  ASSERT_TRUE(port->EscapeCommFunction(sys::kClrDtr)) << sys::LastError();
  ASSERT_TRUE(port->EscapeCommFunction(sys::kClrRts)) << sys::LastError();
  Status();  // forgets the edges so far
  for (unsigned function : {sys::kSetRts, sys::kSetDtr, sys::kClrDtr}) {
    EXPECT_TRUE(port->EscapeCommFunction(function)) << function << " error " << sys::LastError();
  }
  // DTR low and RTS high; the DTR pulse is over, and the far end still saw it.
  EXPECT_EQ("57600 N 0 1 1 1\n", Status());
}

}  // namespace
