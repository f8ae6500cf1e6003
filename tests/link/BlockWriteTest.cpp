#include "tests/link/LinkTestSupport.h"
#include "tests/support/TestSupport.h"

namespace link_test {
namespace {

const std::vector<Bytes> kClosing = {{0x14, 0x04, 0x10, 0x13, 0xCF, 0x13, 0xCF}, {0x14, 0x02, 0x16, 0x08, 0x08},
                                     {0x14, 0x02, 0x16, 0x18, 0x18}};

class BlockWriteTest : public SimLinkTest {
 protected:
  // On a phone in service mode, which opens only a write of its block's length.
  void Write(uint16_t size, int expected, void (*fault)(sim::SimPhoneSettings&) = nullptr) {
    port.ComClose();
    sim::SimPhoneSettings settings = PhoneIn(sim::PhoneState::Service);
    settings.blockLength = size;
    settings.infoByte = 0x5A;
    if (fault) fault(settings);
    Phone(settings);
    Open();
    EXPECT_EQ(port.WriteBlock(5071, size, 0x5A, data.data()), expected);
  }
  Bytes DataFrame(int offset, int length) const {
    Bytes payload = {0x12, 0xCF, 0x13, static_cast<uint8_t>(offset), static_cast<uint8_t>(offset >> 8)};
    payload.insert(payload.end(), data.begin() + offset, data.begin() + offset + length);
    return Frame(0x14, payload, true);
  }
  std::vector<sim::PortEvent> Sends(int offset, int length) const {
    std::vector<sim::PortEvent> sends;
    for (const sim::PortEvent& write : Events(Kind::Write))
      if (write.bytes == DataFrame(offset, length)) sends.push_back(write);
    return sends;
  }
  std::vector<Bytes> LastThree() const {
    const std::vector<Bytes> writes = Writes();
    return std::vector<Bytes>(writes.end() - 3, writes.end());
  }

  const Bytes data = Pattern(2408);
};

TEST_F(BlockWriteTest, BlocksGoOutAsOpenDataChunksOf20CloseAndFinish) {
  for (uint16_t size : {2408, 40, 7}) {
    Write(size, size);
    std::vector<Bytes> expected = {Frame(0x14, {0x11, 0xCF, 0x13, uint8_t(size), uint8_t(size >> 8), 0x5A}, true)};
    for (int offset = 0; offset < size; offset += 20) expected.push_back(DataFrame(offset, std::min(20, size - offset)));
    expected.insert(expected.end(), kClosing.begin(), kClosing.end());
    EXPECT_EQ(Writes(), expected) << size;
    EXPECT_EQ(sim->phone.Block(), Bytes(data.begin(), data.begin() + size));
  }
  EXPECT_EQ(sim::HexBytes(Frame(0x14, {0x11, 0xCF, 0x13, 0x68, 0x09, 0x5A}, true)), "14 07 13 11 CF 13 68 09 5A F6");
  EXPECT_EQ(sim::HexBytes(DataFrame(2400, 8)).substr(0, 23), "14 0E 1A 12 CF 13 60 09");
  EXPECT_EQ(port.WriteBlock(5071, 7, 0x5A, nullptr) + port.WriteBlock(5071, 0, 0x5A, data.data()), 0);
}

TEST_F(BlockWriteTest, RefusedChunkGoesAgainAtOnceUnansweredOneAfter45Ms) {
  Write(20, 20, [](sim::SimPhoneSettings& s) { s.refuseDataSends = 1; });
  auto sends = Sends(0, 20);
  EXPECT_EQ((sends.at(1).atUs - sends[0].endUs) / 1000, 50u);  // the refusal's read, no pause
  Write(20, 20, [](sim::SimPhoneSettings& s) { s.dropDataReplies = 1; });
  sends = Sends(0, 20);
  EXPECT_EQ((sends.at(1).atUs - sends[0].endUs) / 1000, 300u + 45u);
}

TEST_F(BlockWriteTest, ChunkGivenUpAfterTenSendsFailsTheWriteButTheRestStillGoesOut) {
  Write(2408, 100, [](sim::SimPhoneSettings& s) { s.refuseOffset = 100; });
  EXPECT_EQ(Sends(100, 20).size() * 10 + Sends(2400, 8).size(), 101u);
  EXPECT_EQ(LastThree(), kClosing);
  {
    testing_support::ScopedWorkDir dir;  // an oversized reply is logged, and takes no chunk
    Write(20, 0, [](sim::SimPhoneSettings& s) { s.oversizedReplyTo = sim::Request::Data; });
    EXPECT_EQ(Sends(0, 20).size(), 10u);
  }
  // Never an answer: the open goes on, each chunk goes ten times with 300 ms
  // of reading and 45 ms of pause, and the closing frames still go out.
  Write(40, 0, [](sim::SimPhoneSettings& s) { s.silent = true; });
  EXPECT_EQ(Sends(0, 20).size() + Sends(20, 20).size(), 20u);
  EXPECT_EQ(LastThree(), kClosing);
  uint64_t writingUs = 0;
  for (const sim::PortEvent& write : Events(Kind::Write)) writingUs += write.endUs - write.atUs;
  EXPECT_EQ(sim->clock.NowUs() - start - writingUs, (24u * 300u + 20u * 45u) * 1000u);
}

TEST_F(BlockWriteTest, StopsWhereAWriteMovesNothingOrTheOpenIsRefused) {
  Phone(PhoneIn(sim::PhoneState::Service));
  sim->line.faults.writeMovesNothing = [](int, const Bytes& bytes) { return bytes.size() > 8 && bytes[6] == 60; };
  Open();
  EXPECT_EQ(port.WriteBlock(5071, 2408, 0x04, data.data()), 60);
  EXPECT_EQ(Writes().size(), 1u + 4u);
  port.ComClose();
  OpenCanned();
  canned = {Frame(0x14, {0x51}, true)};
  EXPECT_EQ(port.WriteBlock(5071, 2408, 0x04, data.data()), 0);
  EXPECT_EQ(Writes().size(), 1u);
}

}  // namespace
}  // namespace link_test
