#include "ui/DialogRules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

TEST(DialogRules, OnlyTheWholeOkAndCancelValuesClose) {
  EXPECT_TRUE(IsCloseCommand(1));
  EXPECT_TRUE(IsCloseCommand(2));
  // The ID in the low word with a notification code above it stays open.
  EXPECT_FALSE(IsCloseCommand(0x00010001u));
  EXPECT_FALSE(IsCloseCommand(0x00010002u));
  EXPECT_FALSE(IsCloseCommand(1008));
}

TEST(DialogRules, CentringHalvesEachSizeTowardZero) {
  Point a = CenteredOrigin(1024, 768, 200, 100);
  EXPECT_EQ(412, a.x);
  EXPECT_EQ(334, a.y);
  EXPECT_EQ(462, CenteredOrigin(1024, 768, 101, 100).x);  // 101 counts as 50
  Point big = CenteredOrigin(100, 100, 301, 303);          // larger than its reference
  EXPECT_EQ(-100, big.x);
  EXPECT_EQ(-101, big.y);
}

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
  EXPECT_EQ(0, ParseTempoText("abc"));
  EXPECT_EQ(12, ParseTempoText("  +12x5"));
  EXPECT_EQ(65535, ParseTempoText("65536"));
  EXPECT_EQ(65535, ParseTempoText("99999999999999999999"));
  EXPECT_EQ(0, ParseTempoText("-5"));
  for (unsigned tempo : {0u, 128u, 999u, 1000u, 65535u})
    EXPECT_EQ(tempo, ParseTempoText(TempoText(static_cast<uint16_t>(tempo)).c_str())) << tempo;
}

TEST(DialogRules, FilterBarsBecomeTheDialogsDoubleNulList) {
  char filter[] = "Programs format(*.bmt)|*.bmt|EEProm Block's(*.bin)|*.bin||";
  FilterBarsToNuls(filter);
  std::vector<std::string> parts;
  for (const char* at = filter; *at; at += strlen(at) + 1) parts.push_back(at);
  EXPECT_EQ((std::vector<std::string>{"Programs format(*.bmt)", "*.bmt", "EEProm Block's(*.bin)",
                                      "*.bin"}),
            parts);
}
