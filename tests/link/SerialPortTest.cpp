// The port's own exchanges, where their bytes and times matter beyond what
// a whole job shows.
#include "diag/ErrorLog.h"
#include "tests/link/LinkTestSupport.h"

namespace link_test {
namespace {

class SerialPortTest : public SimLinkTest {
 protected:
  // DTR as each write went out, 1 raised, 0 low.
  std::string DtrAtWrites() const {
    std::string levels;
    bool dtr = false;
    for (const sim::PortEvent& event : sim->line.Log().Events()) {
      dtr = event.kind == Kind::Dtr ? event.level : dtr;
      if (event.kind == Kind::Write) levels += dtr ? '1' : '0';
    }
    return levels;
  }
  const Bytes data = Bytes(2408, 0x3C);
};

// Where a reply is found is the tracker's (ReplyTrackerTest); what counts
// as the answer to a request is the port's.
TEST_F(SerialPortTest, RepliesNoPhoneWouldGiveAreNotTakenForAnswers) {
  Phone(sim::PhoneState::Service);
  Script({Frame(0x02, {0x14}), Frame(0x02, {0x14, 0x14})});
  Open();
  EXPECT_EQ(port.PingPhone(), 1);  // one byte short: answered, but not as a ping is
  EXPECT_EQ(Writes(), std::vector<Bytes>(2, kPing));
  // 40 payload bytes that end in the confirmation: taken, it would confirm the power-off.
  Script({Bytes{0x0E, 40, 0x0E ^ 40} + Bytes(36, 0) + Frame(0x0E, {0x04})});
  EXPECT_EQ(port.RequestPowerOff(), 0);
  EXPECT_NE(testing_support::ReadFile(kErrorLogName).find("ComReceive, LEN >= 32,error code: "), std::string::npos);
}

TEST_F(SerialPortTest, OpenRefusesBadIndexesAndClosesAPortItCannotSetUp) {
  EXPECT_EQ(port.ComOpen(9, 57600) + port.ComOpen(-1, 57600), 0);
  EXPECT_EQ(sim->line.OpenCount(), 0);  // neither touched the system
  sim->line.faults.escapeFails = true;  // RTS cannot be raised
  EXPECT_EQ(port.ComOpen(0, 57600), 0);
  EXPECT_EQ(sim->line.OpenCount(), 1);
  EXPECT_FALSE(sim->line.IsOpen());
}

TEST_F(SerialPortTest, AtEntryTriesFourRatesThenTheFallbackAndPutsThePortBack) {
  Settings().errorAtEveryRate = true;
  Settings().atRate = 19200;
  Open(38400);
  EXPECT_EQ(port.EnterServiceMode(), 1);
  const Bytes entry = Text("at^sqwe=1\r");
  EXPECT_EQ(Writes(), (std::vector<Bytes>{entry, entry, entry, entry, Text("at^sbf"), Text("b=1\r")}));
  std::vector<uint32_t> rates;
  for (const sim::PortEvent& write : sim->line.Log().Events(Kind::Write)) rates.push_back(write.settings.baud);
  EXPECT_EQ(rates, (std::vector<uint32_t>{19200, 115200, 57600, 38400, 19200, 19200}));
  EXPECT_EQ(sim->line.CurrentDcb().BaudRate, 38400u);
}

TEST_F(SerialPortTest, RefusedChunkGoesAgainAtOnceUnansweredOneAfterItsWindowAndTheTenthSendEndsTheWrite) {
  // gapMs: from the end of the first send to the start of the second.
  const struct { PhoneSetup fault; int result; size_t sendsOfFirst, sendsOfSecond; uint64_t gapMs; } rows[] = {
      {[](sim::SimPhoneSettings& s) { s.refuseDataSends = 1; }, 40, 2, 2, 3},  // the refusal: 2 ms and its 6 bytes
      {[](sim::SimPhoneSettings& s) { s.dropDataReplies = 1; }, 40, 2, 2, 300 + 45},  // the window and the pause
      {[](sim::SimPhoneSettings& s) { s.refuseOffset = 0; }, 0, 10, 0, 3},  // given up: nothing more goes out
      {[](sim::SimPhoneSettings& s) { s.silent = true; }, 0, 10, 0, 300 + 45},  // the unanswered open goes on
  };
  for (const auto& row : rows) {
    Phone(sim::PhoneState::Service, [&](sim::SimPhoneSettings& s) { s.blockLength = 40, row.fault(s); });
    Open();
    EXPECT_EQ(port.WriteBlock(5071, 40, 0x04, data.data()), row.result);
    std::vector<sim::PortEvent> sends[2];  // of the chunks at 0 and 20
    for (const sim::PortEvent& write : sim->line.Log().Events(Kind::Write))
      if (write.bytes.size() > 8 && write.bytes[3] == 0x12 && write.bytes[6] < 40)
        sends[write.bytes[6] / 20].push_back(write);
    EXPECT_EQ(std::make_pair(sends[0].size(), sends[1].size()), std::make_pair(row.sendsOfFirst, row.sendsOfSecond));
    EXPECT_EQ((sends[0].at(1).atUs - sends[0][0].endUs) / 1000, row.gapMs);
    EXPECT_EQ(LastWrites(3), kClosingFrames);
  }
}

TEST_F(SerialPortTest, BlockWriteStopsWhereTheOpenIsRefusedOrAWriteMovesNothing) {
  Phone(sim::PhoneState::Service);
  Open();
  EXPECT_EQ(port.WriteBlock(5071, 2408, 0x5A, data.data()), 0);  // not its info byte
  EXPECT_EQ(Writes().size(), 1u);
  sim->line.faults.writeMovesNothing = [](int, const Bytes& bytes) { return bytes.size() > 8 && bytes[6] == 60; };
  EXPECT_EQ(port.WriteBlock(5071, 2408, 0x04, data.data()), 60);
  EXPECT_EQ(Writes().size(), 1u + 5u);  // and then the open, 0, 20, 40 and 60
}

TEST_F(SerialPortTest, BootCodeFollowsTheAnsweredWakeByteAndGoesAgainUntilThePhoneConfirmsIt) {
  Phone(sim::PhoneState::Off, [](sim::SimPhoneSettings& s) { s.noBootConfirm = true; });
  Open();
  EXPECT_EQ(port.BootPowerOn(2), 0);
  const std::vector<Bytes> writes = Writes();
  ASSERT_EQ(writes.size(), 2u * 107u);  // the same code both times
  EXPECT_TRUE(std::equal(writes.begin(), writes.begin() + 107, writes.begin() + 107));

  Settings().noBootConfirm = false;
  sim->line.Log().Clear();
  EXPECT_EQ(port.BootPowerOn(1), 1);
  EXPECT_EQ(DtrAtWrites(), "1" + std::string(106, '0'));  // the pulse ends with the answer
  const Bytes sent = sim->line.Log().HostBytes();  // the wake byte, the length, the code, its XOR
  ASSERT_EQ(sent.size(), 1u + 106u);
  EXPECT_EQ(sim::HexBytes({sent[0], sent[1], sent[2], sent[3], sent[103], sent[106]}), "55 68 A5 5A 48 FF");
  EXPECT_EQ(sim::HexBytes({sent[2 + 50], sent[2 + 70], sent[2 + 78], sent[2 + 86]}), "02 02 80 00");  // patched
  // The phone, which reads only 19200 8E1, checked the length and the XOR.
  EXPECT_NE(sim->phone.State(), sim::PhoneState::Off);
  EXPECT_EQ(sim->line.CurrentDcb().BaudRate * 10 + sim->line.CurrentDcb().Parity, 576000u);
}

TEST_F(SerialPortTest, BootHandshakeTakesOnlyA0AndEachOfItsTwoPassesStartsWithADtrPulse) {
  // Noise ahead of the phone's 0xA0: 16 bytes of it put the answer into the
  // second pass, 32 beyond both.
  for (int noise : {16, 32}) {
    Phone(sim::PhoneState::Off, [&](sim::SimPhoneSettings& s) { s.bootNoiseBytes = noise; });
    Open();
    port.ComSetup(19200, 0, 2, 8);
    EXPECT_EQ(port.BootHandshake(), noise == 16);
    EXPECT_EQ(DtrAtWrites(), std::string("1000000000000000") + (noise == 16 ? "1" : "1000000000000000"));
  }
}

}  // namespace
}  // namespace link_test
