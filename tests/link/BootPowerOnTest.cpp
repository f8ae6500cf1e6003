#include "tests/link/LinkTestSupport.h"

namespace link_test {
namespace {

class BootPowerOnTest : public SimLinkTest {
 protected:
  void SetUp() override { Phone(PhoneIn(sim::PhoneState::Off)); }
  void TearDown() override {  // back at the rate before, no parity, DTR low
    EXPECT_EQ(sim->line.CurrentDcb().BaudRate * 10 + sim->line.CurrentDcb().Parity, 576000u);
    EXPECT_EQ(sim->line.CurrentTimeouts().ReadTotalTimeoutConstant, 250u);
    EXPECT_FALSE(sim->line.Dtr());
    SimLinkTest::TearDown();
  }
};

TEST_F(BootPowerOnTest, AnsweredHandshakeSendsThePatchedBootCodeAtEvenParity) {
  Open();
  EXPECT_EQ(port.BootPowerOn(10), 1);
  const auto writes = Events(Kind::Write);
  ASSERT_EQ(writes.size(), 1u + 106u);
  // DTR up, 55 + 45 ms, the wake byte; DTR drops as soon as the answer is in.
  EXPECT_EQ(writes[0].bytes, Bytes{0x55});
  EXPECT_EQ((writes[0].atUs - start) / 1000, 100u);
  const auto dtr = Events(Kind::Dtr);
  EXPECT_TRUE(dtr.at(0).level && !dtr.at(1).level);
  EXPECT_LE(dtr[1].atUs - writes[0].atUs, 45000u);
  EXPECT_LE(dtr[1].atUs, writes[1].atUs);
  Bytes block;
  uint8_t check = 0;
  for (size_t i = 1; i < writes.size(); ++i) {
    EXPECT_EQ(writes[i].settings.baud * 10 + writes[i].settings.parity, 192002u);
    block.push_back(writes[i].bytes.at(0));
    check ^= i > 1 && i < 106 ? block.back() : 0;
  }
  EXPECT_EQ(sim::HexBytes({block[0], block[1], block[2], block[102], block[104], block[105]}), "68 A5 5A 48 B7 FF");
  EXPECT_EQ(sim::HexBytes({block[1 + 50], block[1 + 70], block[1 + 78], block[1 + 86], check}), "02 02 80 00 FF");
  EXPECT_NE(sim->phone.State(), sim::PhoneState::Off);
}

TEST_F(BootPowerOnTest, SilentLineFailsAfterTwoPassesOf16TriesWithOnePulseEach) {
  Settings().powerKeyHeld = false;
  Open();
  EXPECT_EQ(port.BootPowerOn(0), 0);
  EXPECT_TRUE(sim->line.Log().Events().empty());
  EXPECT_EQ(port.BootPowerOn(1), 0);
  EXPECT_NEAR(ElapsedMs(), 2050 + 32 * 45, 25);  // and the wake bytes' time on the line
  EXPECT_EQ(Writes(), std::vector<Bytes>(32, Bytes{0x55}));
  std::string dtrAtWrites;
  bool dtr = false;
  for (const sim::PortEvent& event : sim->line.Log().Events()) {
    dtr = event.kind == Kind::Dtr ? event.level : dtr;
    if (event.kind == Kind::Write) dtrAtWrites += dtr ? '1' : '0';
  }
  EXPECT_EQ(dtrAtWrites, "1000000000000000" "1000000000000000");
}

TEST_F(BootPowerOnTest, UnconfirmedBootCodeFailsTheAttemptAndTheNextSendsTheSameBytes) {
  Settings().noBootConfirm = true;
  Open();
  EXPECT_EQ(port.BootPowerOn(2), 0);
  const auto writes = Writes();
  ASSERT_EQ(writes.size(), 2u * 107u);
  EXPECT_TRUE(std::equal(writes.begin(), writes.begin() + 107, writes.begin() + 107));
  const uint8_t zeroFirst[] = {0x00, 0x11};
  EXPECT_EQ(port.SendBootBlock(2, zeroFirst), 0);
  sim->line.faults.getCommStateFails = true;
  EXPECT_EQ(port.TryBootPowerOn(), 0);
  EXPECT_EQ(Writes().size(), 2u * 107u);
  sim->line.faults.getCommStateFails = false;
}

}  // namespace
}  // namespace link_test
