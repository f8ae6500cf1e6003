#include "diag/ErrorLog.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/support/TestSupport.h"

namespace link_test {
namespace {

using PortTest = SimLinkTest;

TEST_F(PortTest, OpenSetsTheLineKeepsTheDriversFlowControlAndNeverTakesAHeldHandle) {
  sys::Dcb driver = {};
  driver.fOutxCtsFlow = driver.fRtsControl = 1;
  driver.fDtrControl = 2;
  driver.XonLim = 77;
  Phone();
  sim->line.SetDriverDcb(driver);
  sim->opener.Attach("COM9", sim->line);
  EXPECT_EQ(port.ComOpen(-1, 57600) + port.ComOpen(9, 57600), 0);
  ASSERT_EQ(port.ComOpen(8, 57600), 1);
  port.ComSetup(19200, 0, 2, 8);
  port.ComSetup(57600, 0, 0, 8);
  const sys::Dcb dcb = sim->line.CurrentDcb();
  EXPECT_EQ(std::vector<unsigned>({dcb.DCBlength, dcb.BaudRate, dcb.Parity, dcb.StopBits, dcb.fOutxCtsFlow,
                                   dcb.fDtrControl, dcb.fRtsControl, dcb.XonLim}),
            std::vector<unsigned>({28, 57600, 0, 0, 1, 2, 1, 77}));
  EXPECT_EQ(std::string({dcb.XonChar, dcb.XoffChar, dcb.ErrorChar, dcb.EofChar, dcb.EvtChar}), std::string("nfr\0v", 5));

  SerialPort other;  // no sharing; a second open keeps the handle it holds
  sys::SerialDevice* held = port.handle;
  EXPECT_EQ(other.ComOpen(0, 57600) + port.ComOpen(0, 57600), 0);
  EXPECT_EQ(port.handle, held);
  port.ComSetTimeouts(50, 50);  // a failing SetCommState changes nothing else, and fails an open
  sim->line.faults.setCommStateFails = true;
  EXPECT_EQ(port.ComSetup(19200, 0, 0, 8), 0);
  EXPECT_EQ(sim->line.CurrentTimeouts().ReadTotalTimeoutConstant, 50u);
  port.ComClose();
  EXPECT_EQ(port.ComOpen(0, 57600), 0);
  EXPECT_FALSE(sim->line.IsOpen());
}

TEST_F(PortTest, SilenceCostsEachReadItsTimeOutAndEachReceiveSixReadsOf50Ms) {
  Settings().silent = true;
  Open();
  EXPECT_EQ(port.ComReadText()[0], 0);
  uint8_t byte = 0x42;
  port.ComSetTimeouts(45, 45);
  EXPECT_EQ(port.ComReadByte(&byte), 1);
  EXPECT_EQ(byte, 0x42);
  EXPECT_EQ(port.RequestPowerOff(), 0);
  EXPECT_EQ(ElapsedMs(), 250u + 45u + 300u);  // the frame's own time on the line is under 1 ms
  ServiceFrame frame = {};
  EXPECT_EQ(port.ComSend(frame), 3);
  frame.length = 32;
  EXPECT_EQ(port.ComSend(frame), 0);
  EXPECT_EQ(port.ComWriteText("at^sbf"), 6);
  EXPECT_EQ(Writes(), (std::vector<Bytes>{kPowerOff, {0, 0, 0}, Text("at^sbf")}));
  const auto reads = Events(Kind::Read);
  ASSERT_EQ(reads.size(), 1u + 6u + 1u);
  EXPECT_EQ(reads[3].requested, 34u);
  EXPECT_EQ(reads[3].DurationMs(), 50u);
}

TEST_F(PortTest, ReceiveTakesOnlyItsTypeWithEnoughPayloadAndNeverAnOversizedFrame) {
  testing_support::ScopedWorkDir dir;
  testing_support::FakeSystemInfo info;
  ResetLogHeaderForTest();
  OpenCanned();
  Bytes oversized = {0x14, 40, 0x14 ^ 40};
  oversized.resize(34);
  // Another type, a reply one byte short, an oversized frame, then one whose
  // header check is wrong (not examined).
  ServiceFrame frame = {};
  canned = {Frame(0x0E, {4}), Frame(0x02, {0x14}), oversized, {0x02, 0x02, 0x00, 0x14, 0x77}};
  EXPECT_EQ(port.ComReceive(0x02, 2, frame), 1);
  EXPECT_EQ(frame.payload[1], 0x77);
  canned = {{0x02}, {0x02, 0x00, 0x14, 0x00}};  // split after its type: the rest has N = 0
  EXPECT_EQ(port.ComReceive(0x02, 2, frame), 0);

  // Alone, an oversized frame answers nothing: no block id taken for the
  // length, no power-off confirmed by the request's own byte.
  uint16_t length = 0;
  uint8_t infoByte = 0;
  canned = {oversized};
  EXPECT_EQ(port.QueryBlockInfo(5071, &length, &infoByte), 0);
  oversized[0] = 0x0E;
  canned = {oversized};
  EXPECT_EQ(port.RequestPowerOff(), 0);
  canned = {Frame(0x14, {0x15, 0x68, 0x09, 0x3C})};  // N = 4, one short
  EXPECT_EQ(port.QueryBlockInfo(5071, &length, &infoByte), 0);
  canned = {Frame(0x14, {0x15, 0x68, 0x09, 0x3C}, true)};
  EXPECT_EQ(port.QueryBlockInfo(5071, &length, &infoByte), 1);
  EXPECT_EQ(length * 256 + infoByte, 2408 * 256 + 0x3C);
  EXPECT_EQ(Writes()[2], Bytes({0x14, 0x04, 0x10, 0x15, 0xCF, 0x13, 0xC9}));

  const std::string log = testing_support::ReadFile(dir.Path() / kErrorLogName);
  size_t lines = 0;
  for (size_t at = 0; (at = log.find("ComReceive, LEN >= 32,error code: ", at)) != std::string::npos; ++at) ++lines;
  EXPECT_EQ(lines, 3u);
}

}  // namespace
}  // namespace link_test
