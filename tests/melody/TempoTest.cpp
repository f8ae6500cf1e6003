#include "tests/melody/MelodyTestSupport.h"

namespace melody_test {
namespace {


TEST(ScaledDuration, WholeFactorsOfTheTempo) {
  struct Case {
    uint16_t tempo;
    uint32_t quarter;  // base 248
  };
  const Case cases[] = {{0, 63488},   {1, 63488}, {2, 31744}, {3, 21080}, {85, 744},
                        {86, 496},    {128, 496}, {129, 248}, {256, 248}, {257, 248},
                        {511, 248},   {512, 124}, {600, 124}, {767, 124}, {768, 82},
                        {65279, 0}, {65280, 0}, {65535, 0}};
  for (const Case& c : cases) EXPECT_EQ(ScaledDuration(248, c.tempo), c.quarter) << c.tempo;
  EXPECT_EQ(ScaledDuration(992, 1), 253952u);  // beyond 16 bits: the caller saturates
  EXPECT_EQ(ScaledDuration(992, 65535), 3u);
}

TEST_F(MelodyTest, DurationsTooLongForAWordSaturate) {
  EXPECT_EQ(Encode("A1(1/1) A1(1/2) A1(1/4)", 1), (EventList{{440, 65535}, {440, 65535}, {440, 63488}}));
  EXPECT_EQ(Encode("A1(1/1) A1(1/2)", 2), (EventList{{440, 65535}, {440, 63488}}));
  EXPECT_EQ(Encode("A1(1/1) A1(1/2)", 3), (EventList{{440, 65535}, {440, 42160}}));
  EXPECT_EQ(Encode("A1(1/1)", 4), (EventList{{440, 63488}}));
  EXPECT_EQ(LogLines(), "");
}

TEST_F(MelodyTest, DividingTempos) {
  EXPECT_EQ(Encode("A1(1/1) A1(1/512)", 257), (EventList{{440, 992}, {440, 1}}));
  EXPECT_EQ(Encode("A1(1/1) A1(1/4)", 65535), (EventList{{440, 3}, {0xFFFF, 31}}));
  EXPECT_EQ(Encode("A1(1/512)", 600), (EventList{{0xFFFF, 31}}));  // 1 div 2 is 0
  EXPECT_EQ(LogLines(),
            "Warring: Note and Tone: A1(1/4)\r\n"
            "Warring: Note and Tone: A1(1/512)\r\n");
}

TEST_F(MelodyTest, TempoZeroBecomesOneOnceADurationIsRecognised) {
  Encode("X9(1/3) C2", 0);
  EXPECT_EQ(set.MelodyTempo(0), 0);
  set.MelodyTempo(1) = 0;
  set.DecodeToBuffer(1, "X9(1/4)");  // unknown note, known duration: still stored
  EXPECT_EQ(set.MelodyTempo(1), 1);
  EXPECT_EQ(Encode("C2(1/8)", 0), (EventList{{522, 31744}}));
  EXPECT_EQ(set.MelodyTempo(0), 1);
  EXPECT_EQ(set.MelodyTempo(2), 128);
}

}  // namespace
}  // namespace melody_test
