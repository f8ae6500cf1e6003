#include "melody/BlockExport.h"
#include "tests/melody/MelodyTestSupport.h"

#include "tests/support/FileFaults.h"

namespace {

namespace fs = std::filesystem;

const std::string kDescription =
    "EEPROM block additional file.\r\nPhone HWid:\r\n131\r\nEEPROM BlockId:\r\n5071\r\n"
    "EEPROM BlockVer:\r\n4\r\n";
// Longer than what replaces them: an export must not leave their tails.
const std::string kOldBlock(3000, 'b'), kOldDescription(500, 'd');

// The export and the command's messages both name the description this way.
TEST_F(MelodyTest, TheDescriptionIsNamedByTheLastBinInExactCase) {
  const std::pair<const char*, const char*> cases[] = {
      {"tunes.bin", "tunes.bid"},          {"tunes.bin.bin", "tunes.bin.bid"},
      {"old.bin/tunes.bin", "old.bin/tunes.bid"}, {"song.bin.txt", "song.bid.txt"},
      {"TUNES.BIN", ""},                   {"tunes.bmt", ""},
  };
  for (const auto& c : cases) EXPECT_STREQ(DescriptionPathFor(c.first).Text(), c.second) << c.first;
  ASSERT_EQ(set.ExportBlock("tunes.bin.bin"), 1);
  ASSERT_EQ(set.ExportBlock("TUNES.BIN"), 1);
  EXPECT_EQ(ReadFile("tunes.bin.bid"), kDescription);
  EXPECT_EQ(FilesHere(), 3u);
}

TEST_F(MelodyTest, ExportWritesBothFilesOrNeither) {
  enum Before { None, Both, BlockOnly };
  // The files before, the faults, the result, and what melody.bid holds
  // afterwards: "new", "old" or "" (none).
  const struct { const char* name; Before before; long long spaceLeft; bool flushFails; int renamesBeforeFailure;
                 int result; std::string description; } cases[] = {
      {"over old files", Both, -1, false, -1, 1, "new"},
      {"the disk fills up in the block", Both, 1000, false, -1, 0, "old"},
      {"the disk fills up in the description", Both, kBlockImageSize + 50, false, -1, 0, "old"},
      {"the disk fills up with no files before", None, kBlockImageSize + 50, false, -1, 0, ""},
      {"a flush fails", Both, -1, true, -1, 0, "old"},
      {"the description cannot move", Both, -1, false, 0, 0, "old"},
      {"the block cannot move after a new description", BlockOnly, -1, false, 1, 0, ""},
      // The description's text is the same for every block.
      {"the block cannot move after the description", Both, -1, false, 1, 0, "new"},
  };
  strcpy(set.MelodyText(0), "C2(1/4) D2(1/8)");
  set.EncodeAll();
  const std::string image(reinterpret_cast<const char*>(set.BlockImage()), kBlockImageSize);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove("melody.bin");
    fs::remove("melody.bid");
    if (c.before != None) WriteFile("melody.bin", kOldBlock);
    if (c.before == Both) WriteFile("melody.bid", kOldDescription);
    testing_support::FaultyFileSystem files;
    files.spaceLeft = c.spaceLeft;
    files.flushFails = c.flushFails;
    files.renamesBeforeFailure = c.renamesBeforeFailure;
    sys::SetLastError(0);
    EXPECT_EQ(set.ExportBlock("melody.bin"), c.result);
    if (c.result == 0) EXPECT_EQ(sys::LastError(), testing_support::kFaultCode);
    EXPECT_EQ(ReadFile("melody.bin"), c.result ? image : c.before == None ? "" : kOldBlock);
    EXPECT_EQ(fs::exists("melody.bid"), !c.description.empty());
    EXPECT_EQ(ReadFile("melody.bid"), c.description == "new" ? kDescription : c.description == "old" ? kOldDescription : "");
    EXPECT_EQ(FilesHere(), fs::exists("melody.bin") + !c.description.empty()) << "a temporary left";
  }
  EXPECT_EQ(set.ExportBlock("no-such-folder/melody.bin"), 0);
}

}  // namespace
