#include "diag/ErrorLog.h"
#include "tests/link/LinkFixture.h"
#include "tests/support/TestSupport.h"

namespace link_test {
namespace {

const Bytes kPing = {0x02, 0x01, 0x03, 0x14};
const Bytes kInfoQuery = {0x14, 0x04, 0x10, 0x15, 0xCF, 0x13, 0xC9};
const Bytes kPowerOff = {0x0E, 0x01, 0x0F, 0x04};

class ServiceFramesTest : public LinkTest {
 protected:
  ServiceFramesTest() { ResetLogHeaderForTest(); }
  int OversizedLogLines() {
    const std::string log = testing_support::ReadFile(dir.Path() / kErrorLogName);
    int lines = 0;
    for (size_t at = log.find("ComReceive, LEN >= 32,error code: "); at != std::string::npos;
         at = log.find("ComReceive, LEN >= 32,error code: ", at + 1))
      ++lines;
    return lines;
  }
  testing_support::ScopedWorkDir dir;
  testing_support::FakeSystemInfo info;
};

TEST_F(ServiceFramesTest, RequestsGoOutAsSingleFrames) {
  Open();
  EXPECT_EQ(port.SendPing(), 4);
  uint16_t length = 1;
  uint8_t infoByte = 1;
  EXPECT_EQ(port.QueryBlockInfo(5071, &length, &infoByte), 0);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(infoByte, 0);
  EXPECT_EQ(port.RequestPowerOff(), 0);

  ServiceFrame empty = {};
  empty.type = 0x14;
  EXPECT_EQ(port.ComSend(empty), 3);

  ASSERT_EQ(line.writes.size(), 4u);
  EXPECT_EQ(line.writes[0].bytes, kPing);
  EXPECT_EQ(line.writes[1].bytes, kInfoQuery);
  EXPECT_EQ(line.writes[2].bytes, kPowerOff);
  EXPECT_EQ(line.writes[3].bytes, Bytes({0x14, 0x00, 0x14}));

  // A frame claiming more payload than a buffer holds is not sent at all.
  ServiceFrame bad = {};
  bad.length = 32;
  EXPECT_EQ(port.ComSend(bad), 0);
  EXPECT_EQ(line.writes.size(), 4u);
}

TEST_F(ServiceFramesTest, SilentReceiveMakesSixAttemptsOf50Ms) {
  Open();
  ServiceFrame frame = {};
  EXPECT_EQ(port.ComReceive(0x14, 2, frame), 0);
  EXPECT_EQ(Elapsed(), 300u);
  int reads = 0;
  for (const LineEvent& event : line.events) reads += event.what == "READ 34 -> 0";
  EXPECT_EQ(reads, 6);

  // Three pings to a silent phone: about 900 ms.
  start = clock.now;
  EXPECT_EQ(port.PingPhone(), 0);
  EXPECT_EQ(line.CountWrites(kPing), 3);
  EXPECT_EQ(Elapsed(), 900u);
}

TEST_F(ServiceFramesTest, ReceiveDropsOtherTypesAndShortFramesAndReadsOn) {
  Open();
  ServiceFrame frame = {};
  // Another type first, then a ping reply too short, then the right one in
  // the third attempt; the header check is not examined.
  line.Reply(Frame(0x0E, {0x04}), 5);
  line.Reply(Frame(0x02, {0x14}), 60);
  line.Reply(Bytes{0x02, 0x02, 0x00, 0x14, 0x77}, 110);
  EXPECT_EQ(port.ComReceive(0x02, 2, frame), 1);
  EXPECT_EQ(Elapsed(), 150u);
  EXPECT_EQ(frame.payload[0], 0x14);
  EXPECT_EQ(frame.payload[1], 0x77);

  // A reply split across attempts: the type alone fails its attempt and the
  // rest (02 00 14 00) is judged as a frame of its own, with N = 0.
  frame = {};
  start = clock.now;
  line.Reply(Bytes{0x02}, 5);
  line.Reply(Bytes{0x02, 0x00, 0x14, 0x00}, 60);
  EXPECT_EQ(port.ComReceive(0x02, 2, frame), 0);
  EXPECT_EQ(Elapsed(), 300u);
  EXPECT_EQ(frame.type, 0x02);  // the last attempt's first two bytes stay
  EXPECT_EQ(frame.length, 0x00);
}

TEST_F(ServiceFramesTest, PingNeedsTwoPayloadBytesStartingWith0x14) {
  Open();
  line.respond = [](ScriptedLine& line, const LineWrite&) { line.Reply(Frame(0x02, {0x14})); };
  EXPECT_EQ(port.PingPhone(), 0);
  line.respond = [](ScriptedLine& line, const LineWrite&) {
    line.Reply(Frame(0x02, {0x15, 0x00}));
  };
  EXPECT_EQ(port.PingPhone(), 0);
  int calls = 0;
  line.respond = [&calls](ScriptedLine& line, const LineWrite&) {
    if (++calls == 2) line.Reply(Frame(0x02, {0x14, 0x00}));
  };
  EXPECT_EQ(port.PingPhone(), 1);
  EXPECT_EQ(calls, 2);
}

TEST_F(ServiceFramesTest, InformationReplyGivesLengthAndInfoByte) {
  Open();
  uint16_t length = 0;
  uint8_t infoByte = 0;
  line.respond = [](ScriptedLine& line, const LineWrite&) {
    line.Reply(BlockReply({0x15, 0x68, 0x09, 0x3C}));
  };
  EXPECT_EQ(port.QueryBlockInfo(5071, &length, &infoByte), 1);
  EXPECT_EQ(length, 2408);
  EXPECT_EQ(infoByte, 0x3C);

  // N = 4 is one byte short.
  line.respond = [](ScriptedLine& line, const LineWrite&) {
    line.Reply(Frame(0x14, {0x15, 0x68, 0x09, 0x3C}));
  };
  start = clock.now;
  EXPECT_EQ(port.QueryBlockInfo(5071, &length, &infoByte), 0);
  EXPECT_EQ(Elapsed(), 300u);
}

TEST_F(ServiceFramesTest, OversizedRepliesAreLoggedAndNeverTakenAsAnswers) {
  Open();
  Bytes oversized = {0x14, 40, 0x14 ^ 40};
  oversized.resize(34, 0x00);

  // Alone, it answers nothing: no block length made of the block id.
  line.respond = [&](ScriptedLine& line, const LineWrite&) { line.Reply(oversized); };
  uint16_t length = 0;
  uint8_t infoByte = 0;
  EXPECT_EQ(port.QueryBlockInfo(5071, &length, &infoByte), 0);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(OversizedLogLines(), 1);

  // Nor does it confirm a power-off, whatever its type.
  oversized[0] = 0x33;
  EXPECT_EQ(port.RequestPowerOff(), 0);
  EXPECT_EQ(OversizedLogLines(), 2);

  // A real reply after it is still found.
  line.respond = [&](ScriptedLine& line, const LineWrite&) {
    line.Reply(oversized);
    line.Reply(Frame(0x0E, {0x04}), 60);
  };
  EXPECT_EQ(port.RequestPowerOff(), 1);
  EXPECT_EQ(OversizedLogLines(), 3);
}

TEST_F(ServiceFramesTest, PowerOffNeedsItsOwnConfirmation) {
  Open();
  line.respond = [](ScriptedLine& line, const LineWrite&) { line.Reply(Frame(0x0E, {0x05})); };
  EXPECT_EQ(port.RequestPowerOff(), 0);
  // Only the header came: the payload reads as zero, not as the request's.
  line.respond = [](ScriptedLine& line, const LineWrite&) { line.Reply(Bytes{0x0E, 0x01}); };
  EXPECT_EQ(port.RequestPowerOff(), 0);
  line.respond = [](ScriptedLine& line, const LineWrite&) { line.Reply(Frame(0x0E, {0x04})); };
  EXPECT_EQ(port.RequestPowerOff(), 1);
}

TEST_F(ServiceFramesTest, WritesThatMoveNothingFailTheRequestAtOnce) {
  Open();
  line.failWriteNumber = 1;
  EXPECT_EQ(port.RequestPowerOff(), 0);
  EXPECT_EQ(Elapsed(), 0u);
  // The ping goes on with its next attempt.
  line.failWriteNumber = 2;
  line.respond = [](ScriptedLine& line, const LineWrite&) {
    line.Reply(Frame(0x02, {0x14, 0x00}));
  };
  EXPECT_EQ(port.PingPhone(), 1);
  EXPECT_EQ(line.writes.size(), 3u);
}

}  // namespace
}  // namespace link_test
