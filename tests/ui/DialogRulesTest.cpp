#include "ui/DialogRules.h"

#include <gtest/gtest.h>

#include <string>

TEST(DialogRules, FileKindIsDecidedByTheFileNameAlone) {
  // ".bin" anywhere in the name, in exact case, makes a block file; ".bmt" at the end a project.
  for (const char* name : {"C:\\melodies\\song.bin", "C:\\a\\tunes.bin.old"}) EXPECT_TRUE(IsBlockFileName(name)) << name;
  for (const char* name : {"C:\\a\\song.BIN", "C:\\old.bin.d\\song.bmt", "/home/u/old.bin.d/song.bmt"})
    EXPECT_FALSE(IsBlockFileName(name)) << name;
  EXPECT_TRUE(IsProjectFileName("song.bmt"));
  EXPECT_FALSE(IsProjectFileName("C:\\x\\song.BMT"));
  EXPECT_FALSE(IsProjectFileName("C:\\x.bmt\\song.bin"));
}

TEST(DialogRules, TempoTextFollowsAtoiHeldTo16BitsAndReadsBackAsShown) {
  const std::pair<const char*, int> cases[] = {{"", 0},           {"  +12x5", 12}, {"65536", 65535},
                                               {"99999999999999999999", 65535}, {"-5", 0}};
  for (const auto& [text, tempo] : cases) EXPECT_EQ(tempo, ParseTempoText(text)) << text;
  for (unsigned tempo : {0u, 128u, 999u, 1000u, 65535u})
    EXPECT_EQ(tempo, ParseTempoText(TempoText(static_cast<uint16_t>(tempo)).c_str())) << tempo;
}
