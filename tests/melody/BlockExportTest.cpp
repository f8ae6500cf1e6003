#include "tests/melody/MelodyTestSupport.h"

namespace {

namespace fs = std::filesystem;

const std::string kDescription =
    "EEPROM block additional file.\r\nPhone HWid:\r\n131\r\nEEPROM BlockId:\r\n5071\r\n"
    "EEPROM BlockVer:\r\n4\r\n";

TEST_F(MelodyTest, ExportReplacesTheBlockFileAndItsDescriptionOrSaysItCouldNot) {
  strcpy(set.MelodyText(0), "C2(1/4) D2(1/8)");
  set.EncodeAll();
  const std::string image(reinterpret_cast<const char*>(set.BlockImage()), kBlockImageSize);
  WriteFile("melody.bin", std::string(3000, 'x'));
  WriteFile("melody.bid", std::string(500, 'x'));
  ASSERT_EQ(set.ExportBlock("melody.bin"), 1);
  EXPECT_EQ(ReadFile("melody.bin"), image);
  EXPECT_EQ(ReadFile("melody.bid"), kDescription);

  // Only the last ".bin", in exact case, names the description.
  ASSERT_EQ(set.ExportBlock("tunes.bin.bin"), 1);
  EXPECT_EQ(ReadFile("tunes.bin.bid"), kDescription);
  ASSERT_EQ(set.ExportBlock("TUNES.BIN"), 1);
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 5);

  EXPECT_EQ(set.ExportBlock("no-such-folder/melody.bin"), 0);
  fs::create_directory("busy.bid");  // the description cannot be created
  EXPECT_EQ(set.ExportBlock("busy.bin"), 0);
  EXPECT_EQ(ReadFile("busy.bin"), image);
}

}  // namespace
