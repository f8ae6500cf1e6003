#include "exchange/TempoFit.h"

#include "exchange/RtttlImport.h"
#include "melody/DurationTable.h"
#include "tests/exchange/ExchangeTestSupport.h"

using namespace exchange_testing;

namespace {

// Every note value once, and a few more of the common ones.
const char kPlainNotes[] = "c,8d,8e,f,2g,16a,16b,c6,32p,8e,1c,64d,4p";
const int kPlainValues[] = {4, 8, 8, 4, 2, 16, 16, 4, 32, 8, 1, 64, 4};

}  // namespace

TEST(TempoFit, APlainTuneLastsWithinTenPercentOfWhatItsTempoAsks) {
  const int beats[] = {40, 45, 50, 56, 63, 70, 80, 90, 100, 112, 120, 125, 140, 150, 160,
                       180, 200, 225, 250, 285, 300, 320, 355, 400};
  for (int b : beats) {
    ImportedMelody melody = Imported("x:d=4,o=5,b=" + std::to_string(b) + ":" + kPlainNotes);
    double asked = 0, played = 0;
    for (int value : kPlainValues) asked += 240000.0 / (value * b);
    for (const NoteEvent& event : melody.events) played += event.duration;
    EXPECT_NEAR(played / asked, 1.0, 0.10) << "b=" << b << ": tempo " << melody.tempo << ", shift " << melody.fit.shift;
    EXPECT_NEAR(melody.fit.playedMicros / 1000.0, played, 1.0) << "b=" << b;
    EXPECT_NEAR(melody.fit.askedMicros / 1000.0, asked, 1.0) << "b=" << b;
  }
}

TEST(TempoFit, ADottedNoteIsItsNoteAndItsHalfAtTheSameFit) {
  for (int b = 40; b <= 400; b += 15) {
    ImportedMelody melody = Imported("x:d=4,o=5,b=" + std::to_string(b) + ":c.,d,8e,16f.,16g,32a");
    // c. d 8e 16f. 16g 32a: c, its half, d, e, f, its half, g, a.
    ASSERT_EQ(melody.events.size(), 8u);
    EXPECT_EQ(melody.events[0].duration, melody.events[2].duration) << "b=" << b;  // 1/4
    EXPECT_EQ(melody.events[1].duration, melody.events[3].duration) << "b=" << b;  // 1/8
    EXPECT_EQ(melody.events[4].duration, melody.events[6].duration) << "b=" << b;  // 1/16
    EXPECT_EQ(melody.events[5].duration, melody.events[7].duration) << "b=" << b;  // 1/32
    EXPECT_EQ(melody.events[0].toneCode, melody.events[1].toneCode);
    EXPECT_EQ(melody.events[4].toneCode, melody.events[5].toneCode);
    EXPECT_NE(melody.events[1].toneCode, melody.events[2].toneCode);
  }
}

TEST(TempoFit, ChoosesTheTempoAndTokensTogether) {
  struct Case {
    std::vector<NoteValueCount> values;
    int64_t wholeMicros;
    uint16_t tempo;
    int shift;
  };
  const Case cases[] = {
      {{{{4, false}, 1}}, 1984000, 128, 0},          // exactly (1/4) at 128
      {{{{4, false}, 1}}, 4 * 375000, 10, 4},        // b=160: a quarter of 375 ms is (1/64) x25, exactly
      {{{{4, false}, 1}, {{32, false}, 1}}, 4 * 375000, 85, 1},  // ... but 1/32 has no (1/512) x25: (1/8) x3, 372
      {{{{16, false}, 1}}, 16 * 63488000LL, 1, -2},  // 63.5 s: (1/4) x256, as no token at shift 0 lasts that long
      {{{{1, false}, 1}}, 8 * 992000, 32, 0},        // (1/1) x8
      {{{{4, true}, 1}}, 1984000, 128, 0},           // 744 ms as (1/4) and (1/8)
  };
  for (const Case& c : cases) {
    TempoFit fit = FitTempo(c.values, c.wholeMicros);
    EXPECT_EQ(fit.tempo, c.tempo) << c.wholeMicros;
    EXPECT_EQ(fit.shift, c.shift) << c.wholeMicros;
  }
}

TEST(TempoFit, NoTokenComesOutAsZero) {
  // 1/64 at b=900 asks for 4 ms: (1/512) at a dividing tempo would be 0.
  TempoFit fit = FitTempo({{{64, false}, 10}, {{1, false}, 1}}, 240000000 / 900);
  const DurationRow* tokens[2];
  ASSERT_EQ(TokensFor({64, false}, fit, tokens), 1);
  EXPECT_GT(StoredDuration(tokens[0]->base, fit.tempo), 0);
  EXPECT_EQ(TokenForDenominator(3), nullptr);
  EXPECT_STREQ(TokenForDenominator(512)->token, "(1/512)");
  EXPECT_STREQ(TokenForDenominator(1)->token, "(1/1)");
}
