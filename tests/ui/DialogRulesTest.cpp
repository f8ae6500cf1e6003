#include "ui/DialogRules.h"

#include <gtest/gtest.h>

#include <string>

TEST(DialogRules, FileKindIsDecidedByTheFileNameAlone) {
  EXPECT_TRUE(IsBlockFileName("C:\\melodies\\song.bin"));
  EXPECT_TRUE(IsBlockFileName("C:\\a\\tunes.bin.old"));  // anywhere in the name
  EXPECT_FALSE(IsBlockFileName("C:\\a\\song.BIN"));      // case-sensitive
  EXPECT_FALSE(IsBlockFileName("C:\\old.bin.d\\song.bmt"));
  EXPECT_FALSE(IsBlockFileName("/home/u/old.bin.d/song.bmt"));
  EXPECT_TRUE(IsProjectFileName("song.bmt"));
  EXPECT_FALSE(IsProjectFileName("C:\\x\\song.BMT"));
  EXPECT_FALSE(IsProjectFileName("C:\\x.bmt\\song.bin"));
}

TEST(DialogRules, TempoTextFollowsAtoiHeldTo16BitsAndReadsBackAsShown) {
  EXPECT_EQ(0, ParseTempoText(""));
  EXPECT_EQ(12, ParseTempoText("  +12x5"));
  EXPECT_EQ(65535, ParseTempoText("65536"));
  EXPECT_EQ(65535, ParseTempoText("99999999999999999999"));
  EXPECT_EQ(0, ParseTempoText("-5"));
  for (unsigned tempo : {0u, 128u, 999u, 1000u, 65535u})
    EXPECT_EQ(tempo, ParseTempoText(TempoText(static_cast<uint16_t>(tempo)).c_str())) << tempo;
}
