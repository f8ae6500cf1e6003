#include "tests/link/LinkFixture.h"
#include "tests/support/TestSupport.h"

namespace link_test {
namespace {

const Bytes kClose = {0x14, 0x04, 0x10, 0x13, 0xCF, 0x13, 0xCF};
const Bytes kFinish1 = {0x14, 0x02, 0x16, 0x08, 0x08};
const Bytes kFinish2 = {0x14, 0x02, 0x16, 0x18, 0x18};

// The data frame for a chunk as the phone expects it, built here from the
// protocol's description rather than from the program's code.
Bytes DataFrame(const Bytes& data, int offset, int length) {
  Bytes frame = {0x14, static_cast<uint8_t>(length + 6), 0, 0x12, 0xCF, 0x13,
                 static_cast<uint8_t>(offset & 0xFF), static_cast<uint8_t>(offset >> 8)};
  frame[2] = frame[0] ^ frame[1];
  uint8_t check = 0x12 ^ 0xCF ^ 0x13 ^ frame[6] ^ frame[7];
  for (int i = 0; i < length; ++i) {
    frame.push_back(data[offset + i]);
    check ^= data[offset + i];
  }
  frame.push_back(check);
  return frame;
}

Bytes Pattern(size_t size) {
  Bytes data(size);
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
  return data;
}

class Chunks : public BlockWriteObserver {
 public:
  void OnChunk(int offset, int length, int size, bool taken) override {
    seen.push_back({offset, length, size, taken});
  }
  struct Chunk {
    int offset, length, size;
    bool taken;
  };
  std::vector<Chunk> seen;
};

class BlockWriteTest : public LinkTest {
 protected:
  BlockWriteTest() { phone.Attach(line); }
  ServicePhone phone;
};

TEST_F(BlockWriteTest, FullImageGoesOutIn121FramesAndLandsInTheBlock) {
  Open();
  const Bytes data = Pattern(2408);
  Chunks chunks;
  EXPECT_EQ(port.WriteBlock(5071, 2408, 0x5A, data.data(), &chunks), 2408);

  ASSERT_EQ(line.writes.size(), 1u + 121u + 3u);
  EXPECT_EQ(line.writes[0].bytes,
            Bytes({0x14, 0x07, 0x13, 0x11, 0xCF, 0x13, 0x68, 0x09, 0x5A, 0x5A ^ 0xAC}));
  for (int chunk = 0; chunk < 121; ++chunk) {
    const int offset = chunk * 20;
    const int length = chunk < 120 ? 20 : 8;
    SCOPED_TRACE(offset);
    EXPECT_EQ(line.writes[1 + chunk].bytes, DataFrame(data, offset, length));
  }
  EXPECT_EQ(line.writes[1].bytes.size(), 29u);
  EXPECT_EQ(Hex(Bytes(line.writes[121].bytes.begin(), line.writes[121].bytes.begin() + 8)),
            "14 0E 1A 12 CF 13 60 09");
  EXPECT_EQ(line.writes[122].bytes, kClose);
  EXPECT_EQ(line.writes[123].bytes, kFinish1);
  EXPECT_EQ(line.writes[124].bytes, kFinish2);
  EXPECT_EQ(phone.block, data);

  ASSERT_EQ(chunks.seen.size(), 121u);
  EXPECT_EQ(chunks.seen.back().offset, 2400);
  EXPECT_EQ(chunks.seen.back().length, 8);
  EXPECT_TRUE(chunks.seen.back().taken);
}

TEST_F(BlockWriteTest, ChunkLengthsForSmallSizes) {
  Open();
  const Bytes data = Pattern(40);
  EXPECT_EQ(port.WriteBlock(5071, 40, 0, data.data()), 40);
  EXPECT_EQ(phone.dataFrames, 2);
  EXPECT_EQ(line.writes[1].bytes, DataFrame(data, 0, 20));
  EXPECT_EQ(line.writes[2].bytes, DataFrame(data, 20, 20));

  line.writes.clear();
  EXPECT_EQ(port.WriteBlock(5071, 7, 0, data.data()), 7);
  ASSERT_EQ(line.writes.size(), 5u);
  EXPECT_EQ(line.writes[1].bytes, DataFrame(data, 0, 7));

  // Nothing to write: nothing sent.
  line.writes.clear();
  EXPECT_EQ(port.WriteBlock(5071, 7, 0, nullptr), 0);
  EXPECT_EQ(port.WriteBlock(5071, 0, 0, data.data()), 0);
  EXPECT_TRUE(line.writes.empty());
}

TEST_F(BlockWriteTest, RefusedChunkIsSentAgainAtOnceSilenceAfter45Ms) {
  Open();
  const Bytes data = Pattern(40);
  int sends = 0;
  auto phoneSide = line.respond;
  line.respond = [&sends, phoneSide](ScriptedLine& line, const LineWrite& write) {
    if (write.bytes[3] == 0x12 && ++sends <= 2) {
      if (sends == 1) line.Reply(BlockReply({0x13}));  // refused, then silent
      return;
    }
    phoneSide(line, write);
  };
  EXPECT_EQ(port.WriteBlock(5071, 40, 0, data.data()), 40);
  EXPECT_EQ(line.CountWrites(DataFrame(data, 0, 20)), 3);
  // One 45 ms pause, after the silent send only.
  EXPECT_EQ(clock.sleeps, std::vector<uint32_t>{45});
  EXPECT_EQ(line.writes[2].time - line.writes[1].time, 50u);        // reply read
  EXPECT_EQ(line.writes[3].time - line.writes[2].time, 300u + 45u);  // silence
}

TEST_F(BlockWriteTest, SilentPhoneGetsEveryChunkTenTimesAndTheWriteFails) {
  Open();
  phone.answerData = false;
  const Bytes data = Pattern(40);
  line.respond = nullptr;  // silent from the open on
  Chunks chunks;
  EXPECT_EQ(port.WriteBlock(5071, 40, 0, data.data(), &chunks), 0);
  EXPECT_EQ(line.CountWrites(DataFrame(data, 0, 20)), 10);
  EXPECT_EQ(line.CountWrites(DataFrame(data, 20, 20)), 10);
  EXPECT_EQ(line.CountWrites(kClose), 1);
  EXPECT_EQ(line.CountWrites(kFinish1), 1);
  EXPECT_EQ(line.CountWrites(kFinish2), 1);
  // Open, 20 sends and three closing frames: 24 receives of 300 ms, 20 pauses.
  EXPECT_EQ(Elapsed(), 24u * 300u + 20u * 45u);
  ASSERT_EQ(chunks.seen.size(), 2u);
  EXPECT_FALSE(chunks.seen[0].taken);
}

TEST_F(BlockWriteTest, ChunkGivenUpReportsItsOffsetButTheRestStillGoesOut) {
  Open();
  phone.refuseOffset = 100;
  const Bytes data = Pattern(2408);
  EXPECT_EQ(port.WriteBlock(5071, 2408, 0, data.data()), 100);
  EXPECT_EQ(line.CountWrites(DataFrame(data, 100, 20)), 10);
  EXPECT_EQ(line.CountWrites(DataFrame(data, 2400, 8)), 1);
  EXPECT_EQ(line.CountWrites(kFinish2), 1);
  EXPECT_EQ(phone.dataFrames, 120 + 10);
}

TEST_F(BlockWriteTest, OversizedReplyDoesNotCountAChunkAsTaken) {
  testing_support::ScopedWorkDir dir;  // the reply is logged
  Open();
  const Bytes data = Pattern(20);
  Bytes oversized = {0x14, 40, 0x14 ^ 40};
  oversized.resize(34, 0);
  line.respond = [&](ScriptedLine& line, const LineWrite& write) {
    if (write.bytes[3] == 0x12) line.Reply(oversized);
  };
  EXPECT_EQ(port.WriteBlock(5071, 20, 0, data.data()), 0);
  EXPECT_EQ(line.CountWrites(DataFrame(data, 0, 20)), 10);
}

TEST_F(BlockWriteTest, WriteThatMovesNothingEndsTheTransactionAtItsOffset) {
  Open();
  const Bytes data = Pattern(2408);
  line.failWriteNumber = 1 + 4;  // the open, the chunks at 0, 20 and 40, then 60
  EXPECT_EQ(port.WriteBlock(5071, 2408, 0, data.data()), 60);
  EXPECT_EQ(line.writes.size(), 5u);
  EXPECT_TRUE(line.writes.back().bytes.empty());

  line.writes.clear();
  line.failWriteNumber = 1;
  EXPECT_EQ(port.WriteBlock(5071, 2408, 0, data.data()), 0);
  EXPECT_EQ(line.writes.size(), 1u);
}

TEST_F(BlockWriteTest, RefusedOpenStopsBeforeAnyData) {
  Open();
  const Bytes data = Pattern(2408);
  line.respond = [](ScriptedLine& line, const LineWrite&) { line.Reply(BlockReply({0x51})); };
  EXPECT_EQ(port.WriteBlock(5071, 2408, 0, data.data()), 0);
  EXPECT_EQ(line.writes.size(), 1u);
}

}  // namespace
}  // namespace link_test
