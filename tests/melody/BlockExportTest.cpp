#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

#include "tests/melody/MelodyTestSupport.h"

namespace melody_test {
namespace {

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::WriteFile;

const std::string kDescription =
    "EEPROM block additional file.\r\nPhone HWid:\r\n131\r\nEEPROM BlockId:\r\n5071\r\n"
    "EEPROM BlockVer:\r\n4\r\n";

class BlockExportTest : public MelodyTest {
 protected:
  std::string ImageBytes() const {
    return std::string(reinterpret_cast<const char*>(set.BlockImage()), kBlockImageSize);
  }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.Path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(BlockExportTest, WritesTheImageAndItsDescription) {
  strcpy(set.MelodyText(0), "C2(1/4) D2(1/8)");
  strcpy(set.MelodyText(3), "P(1/1)");
  set.EncodeAll();
  ASSERT_EQ(set.ExportBlock("melody.bin"), 1);
  EXPECT_EQ(ReadFile("melody.bin"), ImageBytes());
  EXPECT_EQ(kDescription.size(), 93u);
  EXPECT_EQ(ReadFile("melody.bid"), kDescription);

  // Again over longer files: both are replaced whole.
  WriteFile("melody.bid", std::string(500, 'x'));
  set.DecodeToBuffer(0, "E2(1/2)");
  ASSERT_EQ(set.ExportBlock("melody.bin"), 1);
  EXPECT_EQ(ReadFile("melody.bin"), ImageBytes());
  EXPECT_EQ(ReadFile("melody.bid"), kDescription);
}

TEST_F(BlockExportTest, OnlyTheLastExactBinIsReplaced) {
  ASSERT_EQ(set.ExportBlock("tunes.bin.bin"), 1);
  EXPECT_EQ(Files(), (std::vector<std::string>{"tunes.bin.bid", "tunes.bin.bin"}));
  EXPECT_EQ(ReadFile("tunes.bin.bid"), kDescription);
}

TEST_F(BlockExportTest, PathWithoutBinWritesTheBlockAlone) {
  ASSERT_EQ(set.ExportBlock("TUNES.BIN"), 1);
  ASSERT_EQ(set.ExportBlock("tunes.img"), 1);
  EXPECT_EQ(Files(), (std::vector<std::string>{"TUNES.BIN", "tunes.img"}));
  EXPECT_EQ(ReadFile("tunes.img").size(), 2408u);
}

TEST_F(BlockExportTest, FailuresAreReported) {
  EXPECT_EQ(set.ExportBlock("no-such-folder/melody.bin"), 0);
  EXPECT_TRUE(Files().empty());

  // The description cannot be created: the block is written all the same.
  fs::create_directory("busy.bid");
  EXPECT_EQ(set.ExportBlock("busy.bin"), 0);
  EXPECT_EQ(ReadFile("busy.bin"), ImageBytes());
}

}  // namespace
}  // namespace melody_test
