#include "tests/link/LinkTestSupport.h"

namespace link_test {
namespace {

using Rates = std::vector<uint32_t>;

class AtEntryTest : public SimLinkTest {
 protected:
  Rates RatesOf(const Bytes& text) const {
    Rates rates;
    for (const sim::PortEvent& write : Events(Kind::Write))
      if (write.bytes == text) rates.push_back(write.settings.baud);
    return rates;
  }
};

TEST_F(AtEntryTest, PhoneAnsweringOnlyAt57600IsReachedAtTheThirdRateAndThePortGoesBack) {
  Open(38400);
  EXPECT_EQ(port.EnterServiceMode(), 1);
  EXPECT_EQ(RatesOf(kServiceCommand), (Rates{19200, 115200, 57600}));
  EXPECT_NEAR((Events(Kind::Write)[2].atUs - start) / 1000, 500, 15);  // after two silent tries
  EXPECT_EQ(sim->phone.State(), sim::PhoneState::Service);
  EXPECT_EQ(sim->line.CurrentDcb().BaudRate, 38400u);
  EXPECT_EQ(Events(Kind::Purge).at(2).purgeFlags, 15u);
}

TEST_F(AtEntryTest, ErrorEverywhereLeadsToTheFallbackInTwoPiecesAndNoAnswerCostsASecondAndAQuarter) {
  Settings().errorAtEveryRate = true;
  Settings().atRate = 19200;
  Open();
  EXPECT_EQ(port.EnterServiceMode(), 1);
  EXPECT_EQ(RatesOf(kServiceCommand), (Rates{19200, 115200, 57600, 38400}));
  EXPECT_EQ(RatesOf(Text("at^sbf")), Rates{19200});
  EXPECT_EQ(RatesOf(Text("b=1\r")), Rates{19200});

  sim->line.Log().Clear();  // now in service mode, it takes no AT at all
  start = sim->clock.NowUs();
  sim->line.faults.getCommStateFails = true;  // the rate before is taken as 19200
  EXPECT_EQ(port.EnterServiceMode(), 0);
  EXPECT_NEAR(ElapsedMs(), 1250, 20);
  EXPECT_EQ(Count(Text("at^sbf")), 1);
  EXPECT_EQ(Count(Text("b=1\r")), 0);  // no answer to the first half: no second
  EXPECT_EQ(sim->line.CurrentDcb().BaudRate, 19200u);
}

TEST_F(AtEntryTest, OnlyACapitalOkWithCarriageReturnCounts) {
  OpenCanned();
  for (const auto& [reply, counts] : {std::pair<std::string, int>{"ok\r\n", 0}, {"OK\n", 0}, {"x\r\nOK\r\n", 1}}) {
    sim->line.Log().Clear();
    canned.assign(6, Text(reply));
    EXPECT_EQ(port.EnterServiceMode(), counts) << reply;
    EXPECT_EQ(Writes().size(), counts ? 1u : 6u);  // else every rate and both halves of the fallback
  }
}

}  // namespace
}  // namespace link_test
