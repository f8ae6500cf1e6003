#include <cstring>

#include "tests/link/LinkFixture.h"

namespace link_test {
namespace {

using SerialPortTest = LinkTest;

TEST_F(SerialPortTest, OpensOnlyCom1ToCom9) {
  EXPECT_EQ(port.ComOpen(-1, 57600), 0);
  EXPECT_EQ(port.ComOpen(9, 57600), 0);
  EXPECT_TRUE(opener.opened.empty());

  ScriptedLine com9(clock);
  opener.Attach("COM9", com9);
  EXPECT_EQ(port.ComOpen(8, 57600), 1);
  EXPECT_EQ(opener.opened, std::vector<std::string>{"COM9"});
  EXPECT_EQ(port.ComClose(), 1);
  EXPECT_EQ(port.ComClose(), 0);
}

TEST_F(SerialPortTest, OpenSetsTheLineAndKeepsTheDriversFlowControl) {
  line.driverDcb.fOutxDsrFlow = 1;
  line.driverDcb.fDtrControl = 2;
  line.driverDcb.XonLim = 77;
  ASSERT_EQ(port.ComOpen(0, 57600), 1);
  EXPECT_EQ(line.dcb.BaudRate, 57600u);
  EXPECT_EQ(line.dcb.ByteSize, 8);
  EXPECT_EQ(line.dcb.Parity, 0);
  EXPECT_EQ(line.dcb.StopBits, 0);
  EXPECT_EQ(line.timeouts.ReadTotalTimeoutConstant, 250u);
  EXPECT_EQ(line.timeouts.WriteTotalTimeoutConstant, 250u);
  EXPECT_EQ(line.timeouts.ReadIntervalTimeout, 0u);
  EXPECT_TRUE(line.rts);

  // Several setups later the driver's flags and limits are untouched, the
  // five characters are ours.
  port.ComSetup(19200, 0, 2, 8);
  port.ComSetup(115200, 0, 0, 8);
  const sys::Dcb& dcb = line.dcb;
  EXPECT_EQ(dcb.DCBlength, 28u);
  EXPECT_EQ(dcb.fOutxCtsFlow, 1u);
  EXPECT_EQ(dcb.fOutxDsrFlow, 1u);
  EXPECT_EQ(dcb.fDtrControl, 2u);
  EXPECT_EQ(dcb.fRtsControl, 1u);
  EXPECT_EQ(dcb.XonLim, 77);
  EXPECT_EQ(dcb.XoffLim, 512);
  EXPECT_EQ(dcb.XonChar, 'n');
  EXPECT_EQ(dcb.XoffChar, 'f');
  EXPECT_EQ(dcb.ErrorChar, 'r');
  EXPECT_EQ(dcb.EofChar, 0);
  EXPECT_EQ(dcb.EvtChar, 'v');
}

TEST_F(SerialPortTest, OpenFailuresLeaveThePortClosedAndOtherHandlesAlone) {
  // Held elsewhere: no sharing.
  line.held = true;
  EXPECT_EQ(port.ComOpen(0, 57600), 0);
  EXPECT_FALSE(port.IsOpen());
  line.held = false;

  // A setup that fails closes the handle again.
  line.failSetCommState = true;
  EXPECT_EQ(port.ComOpen(0, 57600), 0);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(line.held);
  line.failSetCommState = false;

  // An open while this port holds a handle neither asks the platform nor
  // drops the handle it holds.
  ASSERT_EQ(port.ComOpen(0, 57600), 1);
  sys::SerialDevice* held = port.handle;
  const size_t asked = opener.opened.size();
  EXPECT_EQ(port.ComOpen(1, 57600), 0);
  EXPECT_EQ(port.handle, held);
  EXPECT_EQ(opener.opened.size(), asked);
}

TEST_F(SerialPortTest, FailedSetCommStateLeavesTimeoutsAndRtsAlone) {
  Open();
  port.ComSetTimeouts(50, 50);
  line.failSetCommState = true;
  EXPECT_EQ(port.ComSetup(19200, 0, 0, 8), 0);
  EXPECT_EQ(line.timeouts.ReadTotalTimeoutConstant, 50u);
  EXPECT_TRUE(line.events.back().what == "TIMEOUTS 50/50");

  line.failSetCommState = false;
  line.failEscape = true;
  EXPECT_EQ(port.ComSetup(19200, 0, 0, 8), 0);
}

TEST_F(SerialPortTest, ReadsWaitTheirTimeOutAndKeepTheCallersByteOnSilence) {
  Open();
  EXPECT_STREQ(port.ComReadText(), "");
  EXPECT_EQ(Elapsed(), 250u);

  uint8_t byte = 0x42;
  port.ComSetTimeouts(45, 45);
  EXPECT_EQ(port.ComReadByte(&byte), 1);
  EXPECT_EQ(byte, 0x42);
  line.Reply(Bytes{0xA0}, 10);
  EXPECT_EQ(port.ComReadByte(&byte), 1);
  EXPECT_EQ(byte, 0xA0);

  line.failRead = true;
  EXPECT_EQ(port.ComReadByte(&byte), 0);
}

TEST_F(SerialPortTest, ReadTextFillsTheWholeBufferWithoutATerminator) {
  Open();
  line.Reply(std::string(300, 'x'));
  const char* reply = port.ComReadText();
  EXPECT_EQ(memcmp(reply, std::string(256, 'x').data(), 256), 0);
  EXPECT_EQ(line.PendingBytes(), 44u);
  // The next read clears what the last one left.
  EXPECT_EQ(std::string(port.ComReadText(), 44), std::string(44, 'x'));
  EXPECT_EQ(port.ComReadText()[0], 0);
}

TEST_F(SerialPortTest, WritesTextWithoutItsTerminatorAndSingleBytes) {
  Open();
  EXPECT_EQ(port.ComWriteText("at^sbf"), 6);
  EXPECT_EQ(port.ComWriteByte(0x155), 1);
  ASSERT_EQ(line.writes.size(), 2u);
  EXPECT_EQ(line.writes[0].bytes, Bytes({'a', 't', '^', 's', 'b', 'f'}));
  EXPECT_EQ(line.writes[1].bytes, Bytes{0x55});
}

TEST_F(SerialPortTest, RawReadsAskFor34BytesUnder50Ms) {
  Open();
  uint8_t buffer[34];
  memset(buffer, 0xAA, sizeof buffer);
  line.Reply(Bytes{1, 2, 3, 4, 5, 6, 7});
  EXPECT_EQ(port.ComReadRaw(buffer), 7);
  EXPECT_EQ(Elapsed(), 50u);
  EXPECT_EQ(buffer[6], 7);
  EXPECT_EQ(buffer[7], 0);  // cleared, not left as it was
  EXPECT_TRUE(line.HasEvent("TIMEOUTS 50/50"));
  EXPECT_TRUE(line.HasEvent("READ 34 -> 7"));
}

TEST_F(SerialPortTest, StateQueryAndLineRestore) {
  Open();
  uint32_t baud = 1;
  uint8_t stop = 9, parity = 9, size = 9;
  EXPECT_EQ(port.ComGetState(&baud, &stop, &parity, &size), 1);
  EXPECT_EQ(baud, 57600u);
  EXPECT_EQ(size, 8);
  EXPECT_EQ(parity, 0);

  line.failGetCommState = true;
  baud = 1;
  EXPECT_EQ(port.ComGetState(&baud, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(baud, 1u);

  port.ComSetup(19200, 0, 2, 8);
  line.failEscapeCodes = {sys::kClrDtr};
  EXPECT_EQ(port.ComRestoreLine(57600), 0);
  EXPECT_EQ(line.dcb.BaudRate, 19200u);
  line.failEscapeCodes.clear();
  EXPECT_EQ(port.ComRestoreLine(57600), 1);
  EXPECT_EQ(line.dcb.BaudRate, 57600u);
  EXPECT_EQ(line.dcb.Parity, 0);
  EXPECT_FALSE(line.dtr);
}

}  // namespace
}  // namespace link_test
