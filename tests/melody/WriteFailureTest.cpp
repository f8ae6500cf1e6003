// A full disk, played by /dev/full: every write to it fails.
#include <cstring>
#include <filesystem>
#include <string>

#include "tests/melody/MelodyTestSupport.h"

namespace melody_test {
namespace {

namespace fs = std::filesystem;

class WriteFailureTest : public MelodyTest {
 protected:
  void SetUp() override {
    MelodyTest::SetUp();
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  }
};

TEST_F(WriteFailureTest, ProjectOnAFullDisk) {
  strcpy(set.MelodyText(0), "C2(1/4)");
  EXPECT_EQ(set.SaveProject("/dev/full"), 0);
}

TEST_F(WriteFailureTest, BlockOrDescriptionOnAFullDisk) {
  fs::create_symlink("/dev/full", "full.bin");
  EXPECT_EQ(set.ExportBlock("full.bin"), 0);
  EXPECT_EQ(testing_support::ReadFile("full.bid").size(), 93u);

  fs::create_symlink("/dev/full", "half.bid");
  EXPECT_EQ(set.ExportBlock("half.bin"), 0);
  EXPECT_EQ(testing_support::ReadFile("half.bin").size(), 2408u);
}

}  // namespace
}  // namespace melody_test
