#include "tests/link/LinkFixture.h"

namespace link_test {
namespace {

class BootPowerOnTest : public LinkTest {
 protected:
  BootPowerOnTest() { phone.Attach(line); }
  std::vector<uint32_t> DtrChanges() {
    std::vector<uint32_t> times;
    for (const LineEvent& event : line.events)
      if (event.what.rfind("DTR", 0) == 0) times.push_back(event.time - start);
    return times;
  }
  void ExpectBackAtServiceSettings() {
    EXPECT_EQ(line.dcb.BaudRate, 57600u);
    EXPECT_EQ(line.dcb.Parity, 0);
    EXPECT_EQ(line.timeouts.ReadTotalTimeoutConstant, 250u);
    EXPECT_FALSE(line.dtr);
  }
  BootingPhone phone;
};

TEST_F(BootPowerOnTest, FirstWakeAnsweredThenBootCodeAccepted) {
  Open();
  EXPECT_EQ(port.BootPowerOn(10), 1);

  // DTR up, 55 + 45 ms, the wake byte, its answer 5 ms later ends the pulse.
  ASSERT_GE(line.writes.size(), 1u + 106u);
  EXPECT_EQ(line.writes[0].bytes, Bytes{0x55});
  EXPECT_EQ(line.writes[0].time - start, 100u);
  EXPECT_TRUE(line.writes[0].dtr);
  EXPECT_EQ(DtrChanges()[0], 0u);
  EXPECT_EQ(DtrChanges()[1], 105u);

  // The boot block: length, the 104 patched bytes, the checksum; at 19200
  // with even parity and DTR low, one byte per write.
  ASSERT_EQ(line.writes.size(), 107u);
  Bytes block;
  for (size_t i = 1; i < line.writes.size(); ++i) {
    EXPECT_EQ(line.writes[i].baud, 19200u);
    EXPECT_EQ(line.writes[i].parity, 2);
    EXPECT_FALSE(line.writes[i].dtr);
    block.push_back(line.writes[i].bytes[0]);
  }
  EXPECT_EQ(block, phone.block);
  EXPECT_EQ(block[0], 0x68);
  EXPECT_EQ(Hex(Bytes(block.begin() + 1, block.begin() + 5)), "A5 5A A5 A5");
  EXPECT_EQ(block[1 + 50], 0x02);
  EXPECT_EQ(block[1 + 70], 0x02);
  EXPECT_EQ(block[1 + 78], 0x80);
  EXPECT_EQ(block[1 + 86], 0x00);
  EXPECT_EQ(Hex(Bytes(block.begin() + 101, block.begin() + 105)), "B7 48 B7 B7");
  uint8_t check = 0;
  for (int i = 1; i <= 104; ++i) check ^= block[i];
  EXPECT_EQ(check, 0xFF);
  EXPECT_EQ(block[105], 0xFF);

  EXPECT_TRUE(line.HasEvent("TIMEOUTS 20/20"));
  ExpectBackAtServiceSettings();
}

TEST_F(BootPowerOnTest, SilentLineFailsAfterTwoPassesOf16Tries) {
  Open();
  phone.answerFromWake = 1000;
  EXPECT_EQ(port.BootPowerOn(1), 0);
  EXPECT_EQ(Elapsed(), 2050u + 32u * 45u);
  ASSERT_EQ(line.writes.size(), 32u);
  for (size_t i = 0; i < line.writes.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(line.writes[i].bytes, Bytes{0x55});
    EXPECT_EQ(line.writes[i].dtr, i == 0 || i == 16);  // only the first try of a pass
  }
  int clears = 0;
  for (const LineEvent& event : line.events) clears += event.what == "CLEAR";
  EXPECT_EQ(clears, 32);
  ExpectBackAtServiceSettings();
}

TEST_F(BootPowerOnTest, AnswerInTheSecondPassStillSucceeds) {
  Open();
  phone.answerFromWake = 17;
  EXPECT_EQ(port.BootPowerOn(1), 1);
  EXPECT_EQ(phone.wakes, 17);
  EXPECT_TRUE(line.writes[16].dtr);  // a new pulse for the second pass
}

TEST_F(BootPowerOnTest, NoiseNeverCountsAsAnAnswer) {
  Open();
  phone.wakeAnswer = 0x3C;
  EXPECT_EQ(port.BootPowerOn(2), 0);
  EXPECT_EQ(phone.wakes, 64);
  EXPECT_TRUE(phone.block.empty());
  ExpectBackAtServiceSettings();
}

TEST_F(BootPowerOnTest, UnconfirmedBootCodeFailsTheAttemptAndTheNextSendsItAgain) {
  Open();
  phone.acceptCode = false;
  EXPECT_EQ(port.BootPowerOn(2), 0);
  // Two attempts, each one wake byte and the same 106 bytes.
  ASSERT_EQ(line.writes.size(), 2u * 107u);
  for (size_t i = 0; i < 107; ++i) EXPECT_EQ(line.writes[i].bytes, line.writes[107 + i].bytes);
  EXPECT_TRUE(line.writes[107].dtr);
  ExpectBackAtServiceSettings();
}

TEST_F(BootPowerOnTest, NothingHappensWithoutAttemptsOrAReadableRate) {
  Open();
  EXPECT_EQ(port.BootPowerOn(0), 0);
  EXPECT_TRUE(line.events.empty());

  line.failGetCommState = true;
  EXPECT_EQ(port.TryBootPowerOn(), 0);
  EXPECT_TRUE(line.writes.empty());
  ASSERT_EQ(line.events.size(), 1u);
  EXPECT_EQ(line.events[0].what, "DTR 0");
}

TEST_F(BootPowerOnTest, BootBlockStartingWithZeroIsNotSent) {
  Open();
  const uint8_t code[] = {0x00, 0x11};
  EXPECT_EQ(port.SendBootBlock(2, code), 0);
  EXPECT_EQ(port.SendBootBlock(2, nullptr), 0);
  EXPECT_TRUE(line.writes.empty());

  // A byte that fails to go out is left out of the checksum.
  const uint8_t three[] = {0x01, 0x02, 0x04};
  line.failWriteNumber = 3;
  EXPECT_EQ(port.SendBootBlock(3, three), 1);
  EXPECT_EQ(line.writes.back().bytes, Bytes{0x01 ^ 0x04});
}

}  // namespace
}  // namespace link_test
