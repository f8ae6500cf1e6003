#include "tests/link/LinkFixture.h"

namespace link_test {
namespace {

const Bytes kServiceCommand = {'a', 't', '^', 's', 'q', 'w', 'e', '=', '1', '\r'};
const Bytes kFallbackFirst = {'a', 't', '^', 's', 'b', 'f'};
const Bytes kFallbackSecond = {'b', '=', '1', '\r'};

class AtEntryTest : public LinkTest {
 protected:
  // A modem that answers at one rate only, with the given text to the
  // service command and the fallback's halves.
  void AnswerAt(uint32_t rate, const std::string& reply) {
    line.respond = [rate, reply](ScriptedLine& line, const LineWrite& write) {
      if (write.baud == rate) line.Reply(reply);
    };
  }
  std::vector<uint32_t> RatesOf(const Bytes& text) {
    std::vector<uint32_t> rates;
    for (const LineWrite& write : line.writes)
      if (write.bytes == text) rates.push_back(write.baud);
    return rates;
  }
};

TEST_F(AtEntryTest, PhoneAnsweringOnlyAt57600IsReachedAtTheThirdRate) {
  Open();
  AnswerAt(57600, "at^sqwe=1\r\r\nOK\r\n");
  EXPECT_EQ(port.EnterServiceMode(), 1);
  EXPECT_EQ(RatesOf(kServiceCommand), (std::vector<uint32_t>{19200, 115200, 57600}));
  EXPECT_EQ(line.writes.size(), 3u);
  // Two silent tries of 250 ms; the answer's read returns at its time-out.
  EXPECT_EQ(line.writes[2].time - start, 500u);
  EXPECT_EQ(line.dcb.BaudRate, 57600u);
  EXPECT_TRUE(line.HasEvent("PURGE 15"));
}

TEST_F(AtEntryTest, RestoresTheRateInForceBeforeNotTheOneThatAnswered) {
  ASSERT_EQ(port.ComOpen(0, 38400), 1);
  AnswerAt(115200, "OK\r\n");
  EXPECT_EQ(port.EnterServiceMode(), 1);
  EXPECT_EQ(line.dcb.BaudRate, 38400u);
  EXPECT_EQ(line.timeouts.ReadTotalTimeoutConstant, 250u);
}

TEST_F(AtEntryTest, ErrorEverywhereLeadsToTheFallbackInTwoPieces) {
  Open();
  line.respond = [](ScriptedLine& line, const LineWrite& write) {
    if (write.bytes == kFallbackFirst) line.Reply("at^sbf");
    else if (write.bytes == kFallbackSecond) line.Reply("b=1\r\r\nOK\r\n");
    else line.Reply("\r\nERROR\r\n");
  };
  EXPECT_EQ(port.EnterServiceMode(), 1);
  EXPECT_EQ(RatesOf(kServiceCommand), (std::vector<uint32_t>{19200, 115200, 57600, 38400}));
  ASSERT_EQ(line.writes.size(), 6u);
  EXPECT_EQ(line.writes[4].bytes, kFallbackFirst);
  EXPECT_EQ(line.writes[4].baud, 19200u);
  EXPECT_EQ(line.writes[5].bytes, kFallbackSecond);
  EXPECT_EQ(line.dcb.BaudRate, 57600u);
}

TEST_F(AtEntryTest, OnlyACapitalOkWithCarriageReturnCounts) {
  for (const std::string& reply : {std::string("ok\r\n"), std::string("OK\n"),
                                   std::string("O K\r"), std::string(256, 'O')}) {
    SCOPED_TRACE(reply.substr(0, 8));
    Open();
    line.respond = [reply](ScriptedLine& line, const LineWrite&) { line.Reply(reply); };
    EXPECT_EQ(port.EnterServiceMode(), 0);
    EXPECT_EQ(line.writes.size(), 6u);  // four rates and both fallback halves
    EXPECT_EQ(line.dcb.BaudRate, 57600u);
    port.ComClose();
    line.writes.clear();
  }
}

TEST_F(AtEntryTest, SilentPhoneCostsAboutOneAndAQuarterSeconds) {
  Open();
  EXPECT_EQ(port.EnterServiceMode(), 0);
  EXPECT_EQ(Elapsed(), 1250u);
  // No answer to "at^sbf": its second half is never sent.
  EXPECT_EQ(line.CountWrites(kFallbackFirst), 1);
  EXPECT_EQ(line.CountWrites(kFallbackSecond), 0);
  EXPECT_EQ(line.dcb.BaudRate, 57600u);
}

TEST_F(AtEntryTest, UnreadableRateEndsAt19200) {
  Open();
  line.failGetCommState = true;
  AnswerAt(115200, "OK\r\n");
  EXPECT_EQ(port.EnterServiceMode(), 1);
  EXPECT_EQ(line.dcb.BaudRate, 19200u);
}

TEST_F(AtEntryTest, RatesWhoseLineCannotBePreparedAreSkipped) {
  Open();
  line.failPurge = true;
  EXPECT_EQ(port.EnterServiceMode(), 0);
  // Not purged: no service command anywhere; the fallback needs no purge.
  EXPECT_EQ(line.CountWrites(kServiceCommand), 0);
  EXPECT_EQ(line.CountWrites(kFallbackFirst), 1);

  line.failPurge = false;
  line.writes.clear();
  line.failWriteNumber = 1;  // the write at 19200 moves nothing
  AnswerAt(19200, "OK\r");
  EXPECT_EQ(port.EnterServiceMode(), 1);  // reached by the fallback at 19200
  EXPECT_EQ(RatesOf(kServiceCommand), (std::vector<uint32_t>{115200, 57600, 38400}));
}

}  // namespace
}  // namespace link_test
