#include "ui/DialogRules.h"
#include <cstring>

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(DialogRules, OnlyTheWholeOkAndCancelValuesClose) {
  EXPECT_TRUE(IsCloseCommand(1));
  EXPECT_TRUE(IsCloseCommand(2));
  // The ID in the low word with a notification code above it stays open.
  EXPECT_FALSE(IsCloseCommand(0x00010001u));
  EXPECT_FALSE(IsCloseCommand(0x00000002u | (1u << 16)));
  EXPECT_FALSE(IsCloseCommand(0));
  EXPECT_FALSE(IsCloseCommand(1008));
}

TEST(DialogRules, CentringHalvesEachSizeOnItsOwn) {
  Point a = CenteredOrigin(1024, 768, 200, 100);
  EXPECT_EQ(412, a.x);
  EXPECT_EQ(334, a.y);
  // 101 counts as 50: the odd pixel goes right.
  EXPECT_EQ(462, CenteredOrigin(1024, 768, 101, 100).x);
  // A window larger than its reference lands at a negative origin, and the
  // halving truncates toward zero, not down.
  Point big = CenteredOrigin(100, 100, 301, 303);
  EXPECT_EQ(-100, big.x);
  EXPECT_EQ(-101, big.y);
  EXPECT_EQ(-1, CenteredOrigin(-3, 0, 0, 0).x);
}

TEST(DialogRules, FileKindIsDecidedByTheFileNameAlone) {
  EXPECT_TRUE(IsBlockFileName("C:\\melodies\\song.bin"));
  EXPECT_TRUE(IsBlockFileName("song.bin"));
  EXPECT_TRUE(IsBlockFileName("C:\\a\\tunes.bin.old"));  // anywhere in the name
  EXPECT_FALSE(IsBlockFileName("C:\\a\\song.BIN"));      // case-sensitive
  EXPECT_FALSE(IsBlockFileName("C:\\old.bin.d\\song.bmt"));
  EXPECT_FALSE(IsBlockFileName("/home/u/old.bin.d/song.bmt"));
  EXPECT_FALSE(IsBlockFileName("D:\\a.bin\\"));  // a folder, no file name

  EXPECT_TRUE(IsProjectFileName("C:\\x\\song.bmt"));
  EXPECT_FALSE(IsProjectFileName("C:\\x\\song.BMT"));
  EXPECT_FALSE(IsProjectFileName("C:\\x.bmt\\song.bin"));
  EXPECT_FALSE(IsProjectFileName("C:/x.bmt/song.bin"));
  EXPECT_STREQ("song.bin", FileNamePart("C:\\x.bmt/y\\song.bin"));
  EXPECT_STREQ("", FileNamePart(""));
}

TEST(DialogRules, TempoTextFollowsAtoiAndStaysIn16Bits) {
  EXPECT_EQ(128, ParseTempoText("128"));
  EXPECT_EQ(0, ParseTempoText(""));
  EXPECT_EQ(0, ParseTempoText("abc"));
  EXPECT_EQ(12, ParseTempoText("  +12x5"));
  EXPECT_EQ(7, ParseTempoText("007"));
  EXPECT_EQ(1000, ParseTempoText("1000"));
  EXPECT_EQ(65535, ParseTempoText("65535"));
  EXPECT_EQ(65535, ParseTempoText("65536"));
  EXPECT_EQ(65535, ParseTempoText("99999999999999999999"));
  EXPECT_EQ(0, ParseTempoText("-5"));
}

TEST(DialogRules, EveryTempoReadsBackAsShown) {
  for (unsigned tempo : {0u, 1u, 128u, 999u, 1000u, 4096u, 65535u})
    EXPECT_EQ(tempo, ParseTempoText(TempoText(static_cast<uint16_t>(tempo)).c_str())) << tempo;
  EXPECT_EQ("12345", TempoText(12345));
}

TEST(DialogRules, ComButtonCyclesThroughFourPorts) {
  std::vector<std::string> captions;
  int port = 0;
  for (int press = 0; press < 5; ++press) {
    port = NextPortIndex(port);
    captions.push_back(PortCaption(port));
  }
  EXPECT_EQ((std::vector<std::string>{"Com 2", "Com 3", "Com 4", "Com 1", "Com 2"}), captions);
}

TEST(DialogRules, FilterBarsBecomeTheDialogsDoubleNulList) {
  char filter[] = "Programs format(*.bmt)|*.bmt|EEProm Block's(*.bin)|*.bin||";
  ASSERT_EQ(58u, sizeof filter - 1);
  FilterBarsToNuls(filter);
  std::vector<std::string> parts;
  for (const char* at = filter; *at; at += strlen(at) + 1) parts.push_back(at);
  EXPECT_EQ((std::vector<std::string>{"Programs format(*.bmt)", "*.bmt", "EEProm Block's(*.bin)",
                                      "*.bin"}),
            parts);
  EXPECT_EQ('\0', filter[57]);
  EXPECT_EQ('\0', filter[56]);
}
