#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>

#include "tests/melody/MelodyTestSupport.h"

namespace melody_test {
namespace {

namespace fs = std::filesystem;
using testing_support::ReadFile;

const std::string kDescription =
    "EEPROM block additional file.\r\nPhone HWid:\r\n131\r\nEEPROM BlockId:\r\n5071\r\n"
    "EEPROM BlockVer:\r\n4\r\n";

class BlockExportTest : public MelodyTest {
 protected:
  std::string Image() const { return std::string(reinterpret_cast<const char*>(set.BlockImage()), kBlockImageSize); }
  size_t FileCount() const { return std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()); }
};

TEST_F(BlockExportTest, WritesTheImageAndItsDescriptionAndReplacesThem) {
  strcpy(set.MelodyText(0), "C2(1/4) D2(1/8)");
  strcpy(set.MelodyText(3), "P(1/1)");
  set.EncodeAll();
  ASSERT_EQ(set.ExportBlock("melody.bin"), 1);
  EXPECT_EQ(ReadFile("melody.bin"), Image());
  EXPECT_EQ(ReadFile("melody.bid"), kDescription);
  EXPECT_EQ(kDescription.size(), 93u);

  testing_support::WriteFile("melody.bid", std::string(500, 'x'));
  set.DecodeToBuffer(0, "E2(1/2)");
  ASSERT_EQ(set.ExportBlock("melody.bin"), 1);
  EXPECT_EQ(ReadFile("melody.bin"), Image());
  EXPECT_EQ(ReadFile("melody.bid"), kDescription);
}

TEST_F(BlockExportTest, OnlyTheLastBinInExactCaseNamesTheDescription) {
  ASSERT_EQ(set.ExportBlock("tunes.bin.bin"), 1);
  EXPECT_EQ(ReadFile("tunes.bin.bid"), kDescription);
  ASSERT_EQ(set.ExportBlock("TUNES.BIN"), 1);
  EXPECT_EQ(ReadFile("TUNES.BIN").size(), 2408u);
  EXPECT_EQ(FileCount(), 3u);
}

TEST_F(BlockExportTest, FailuresAreReported) {
  EXPECT_EQ(set.ExportBlock("no-such-folder/melody.bin"), 0);
  EXPECT_EQ(FileCount(), 0u);

  fs::create_directory("busy.bid");  // the description cannot be created
  EXPECT_EQ(set.ExportBlock("busy.bin"), 0);
  EXPECT_EQ(ReadFile("busy.bin"), Image());
}

}  // namespace
}  // namespace melody_test
