#include "tests/sys/FileTestSupport.h"

using namespace file_testing;
using testing_support::FaultyFileSystem;
using testing_support::kFaultCode;
using testing_support::ScopedWorkDir;

namespace {

const std::string kOld = "the old file, which a failure must leave alone";
const std::string kNew(3000, 'n');

TEST(StagedFile, ReplacesTheFileWholeOrLeavesItByteForByte) {
  struct Case {
    const char* name;
    bool oldFile;
    long long spaceLeft;
    bool flushFails;
    int renamesBeforeFailure;
    const char* failedStep;
  };
  const Case cases[] = {
      {"a new file", false, -1, false, -1, ""},
      {"over an old file", true, -1, false, -1, ""},
      {"exactly as much space as needed", true, 3000, false, -1, ""},
      {"the disk fills up midway", true, 1500, false, -1, "append 2"},
      {"the disk fills up at the last byte", true, 2999, false, -1, "append 3"},
      {"the disk fills up before a new file", false, 10, false, -1, "append 1"},
      {"the flush fails", true, -1, true, -1, "commit"},
      {"the rename fails", true, -1, false, 0, "commit"},
      {"the rename of a new file fails", false, -1, false, 0, "commit"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedWorkDir dir;
    if (c.oldFile) WriteFile("song.bmt", kOld);
    FaultyFileSystem files;
    files.spaceLeft = c.spaceLeft;
    files.flushFails = c.flushFails;
    files.renamesBeforeFailure = c.renamesBeforeFailure;
    sys::SetLastError(0);
    EXPECT_EQ(WriteInPieces("song.bmt", kNew), c.failedStep);
    const bool failed = *c.failedStep != '\0';
    if (failed) {
      EXPECT_EQ(sys::LastError(), kFaultCode);  // not what the cleanup met
    }
    const bool fileThere = c.oldFile || !failed;
    EXPECT_EQ(NamesIn("."), fileThere ? std::vector<std::string>{"song.bmt"} : std::vector<std::string>{});
    if (fileThere) {
      EXPECT_EQ(ReadFile("song.bmt"), failed ? kOld : kNew);
    }
  }
}

TEST(StagedFile, AMissingFolderCreatesNothing) {
  ScopedWorkDir dir;
  sys::SetLastError(0);
  EXPECT_EQ(WriteInPieces("absent/song.bmt", kNew), "create");
  EXPECT_NE(sys::LastError(), 0u);
  EXPECT_TRUE(NamesIn(".").empty());
}

// A temporary left by a crash is neither used nor removed.
TEST(StagedFile, WritesBesideATemporaryLeftBehind) {
  ScopedWorkDir dir;
  WriteFile("song.bmt.part", "left by a crash");
  EXPECT_EQ(WriteInPieces("song.bmt", kNew), "");
  EXPECT_EQ(ReadFile("song.bmt"), kNew);
  EXPECT_EQ(ReadFile("song.bmt.part"), "left by a crash");
  EXPECT_EQ(NamesIn("."), (std::vector<std::string>{"song.bmt", "song.bmt.part"}));
}

}  // namespace
