// A full disk, played by /dev/full: every write to it fails.
#include "tests/melody/MelodyTestSupport.h"

TEST_F(MelodyTest, WritesOnAFullDiskAreReported) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  EXPECT_EQ(set.SaveProject("/dev/full"), 0);

  std::filesystem::create_symlink("/dev/full", "full.bin");
  EXPECT_EQ(set.ExportBlock("full.bin"), 0);
  EXPECT_EQ(ReadFile("full.bid").size(), 93u);

  std::filesystem::create_symlink("/dev/full", "half.bid");
  EXPECT_EQ(set.ExportBlock("half.bin"), 0);
  EXPECT_EQ(ReadFile("half.bin").size(), 2408u);
}
