// Writing through sys::StagedFile step by step: the file is replaced whole
// or left byte for byte, and on POSIX systems what a write does to links,
// permission bits and special files.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

#include <algorithm>

#include "sys/StagedFile.h"
#include "tests/support/FileFaults.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace testing_support;
namespace fs = std::filesystem;

const std::string kOld = "the old file, which a failure must leave alone";
const std::string kNew(3000, 'n');

// Writes kNew to path in three pieces and commits; returns the step that
// failed ("create", "append 1".."append 3", "commit") or "" when all worked.
std::string WriteInPieces(const std::string& path) {
  sys::StagedFile file;
  if (!file.Create(path.c_str())) return "create";
  for (size_t i = 0; i < 3; ++i)
    if (!file.Append(kNew.data() + i * 1000, 1000)) return "append " + std::to_string(i + 1);
  return file.Commit() ? "" : "commit";
}

// The names in a folder, sorted: a temporary left behind shows here.
std::vector<std::string> NamesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(StagedFile, ReplacesTheFileWholeOrLeavesItByteForByte) {
  struct Case { const char* name; bool oldFile; long long spaceLeft; bool flushFails; int renames; const char* failedStep; };
  const Case cases[] = {
      {"a new file", false, -1, false, -1, ""},
      {"over an old file", true, -1, false, -1, ""},
      {"exactly as much space as needed", true, 3000, false, -1, ""},
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
    files.renamesBeforeFailure = c.renames;
    sys::SetLastError(0);
    EXPECT_EQ(WriteInPieces("song.bmt"), c.failedStep);
    const bool failed = *c.failedStep != '\0';
    if (failed) { EXPECT_EQ(sys::LastError(), kFaultCode); }  // not what the cleanup met
    EXPECT_EQ(NamesIn("."), c.oldFile || !failed ? std::vector<std::string>{"song.bmt"} : std::vector<std::string>{});
    EXPECT_EQ(ReadFile("song.bmt"), failed ? (c.oldFile ? kOld : "") : kNew);
  }
}

TEST(StagedFile, AMissingFolderCreatesNothing) {
  ScopedWorkDir dir;
  sys::SetLastError(0);
  EXPECT_EQ(WriteInPieces("absent/song.bmt"), "create");
  EXPECT_NE(sys::LastError(), 0u);
  EXPECT_TRUE(NamesIn(".").empty());
}

// A temporary left by a crash is neither used nor removed.
TEST(StagedFile, WritesBesideATemporaryLeftBehind) {
  ScopedWorkDir dir;
  WriteFile("song.bmt.part", "left by a crash");
  EXPECT_EQ(WriteInPieces("song.bmt"), "");
  EXPECT_EQ(ReadFile("song.bmt"), kNew);
  EXPECT_EQ(ReadFile("song.bmt.part"), "left by a crash");
  EXPECT_EQ(NamesIn("."), (std::vector<std::string>{"song.bmt", "song.bmt.part"}));
}

#ifndef _WIN32
TEST(PosixStagedFile, ALinkedFileIsReplacedAndTheLinkKept) {
  // Each link's name and where it points ("ABS": the folder, absolute).
  struct Case { const char* name; std::vector<std::pair<std::string, std::string>> links; const char* realFile; };
  const Case cases[] = {
      {"a relative link", {{"song.bmt", "real.bmt"}}, "real.bmt"},
      {"an absolute link", {{"song.bmt", "ABS/real.bmt"}}, "real.bmt"},
      {"a chain into a folder", {{"song.bmt", "sub/link.bmt"}, {"sub/link.bmt", "real.bmt"}}, "sub/real.bmt"},
      {"a link to no file yet", {{"song.bmt", "sub/later.bmt"}}, "sub/later.bmt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedWorkDir dir;
    fs::create_directory("sub");
    WriteFile("real.bmt", "old");
    WriteFile("sub/real.bmt", "old");
    for (const auto& [name, to] : c.links)
      fs::create_symlink(to.rfind("ABS", 0) == 0 ? dir.Path().string() + to.substr(3) : to, name);
    EXPECT_EQ(WriteInPieces("song.bmt"), "");
    EXPECT_EQ(ReadFile(c.realFile), kNew);
    for (const auto& link : c.links) EXPECT_TRUE(fs::is_symlink(link.first)) << link.first;
    EXPECT_EQ(NamesIn("."), (std::vector<std::string>{"real.bmt", "song.bmt", "sub"}));
    for (const std::string& name : NamesIn("sub")) EXPECT_EQ(name.find(".part"), std::string::npos) << name;
  }
}

TEST(PosixStagedFile, AReplacedFileKeepsItsPermissionBitsAndANewOneGetsTheUsual) {
  for (mode_t mode : {0600, 0755}) {
    ScopedWorkDir dir;
    WriteFile("song.bmt", "old");
    chmod("song.bmt", mode);
    EXPECT_EQ(WriteInPieces("song.bmt"), "");
    EXPECT_EQ(fs::status("song.bmt").permissions(), static_cast<fs::perms>(mode));
  }
  ScopedWorkDir dir;
  const mode_t mask = umask(022);
  EXPECT_EQ(WriteInPieces("new.bmt"), "");
  umask(mask);
  EXPECT_EQ(fs::status("new.bmt").permissions(), static_cast<fs::perms>(0644));
}

// A rename would put a plain file where these were; the write is refused.
TEST(PosixStagedFile, RefusesWhatCannotBeReplacedByAPlainFile) {
  ScopedWorkDir dir;
  fs::create_symlink("loop-b.bmt", "loop-a.bmt");
  fs::create_symlink("loop-a.bmt", "loop-b.bmt");
  fs::create_directory("folder.bmt");
  ASSERT_EQ(mkfifo("pipe.bmt", 0644), 0);
  WriteFile("locked.bmt", "old");
  chmod("locked.bmt", 0444);
  const std::pair<const char*, int> cases[] = {
      {"loop-a.bmt", ELOOP}, {"folder.bmt", EISDIR}, {"pipe.bmt", EOPNOTSUPP}, {"locked.bmt", EACCES}};
  for (const auto& [path, error] : cases) {
    SCOPED_TRACE(path);
    if (error == EACCES && geteuid() == 0) continue;  // root may write anything
    EXPECT_EQ(WriteInPieces(path), "create");
    EXPECT_EQ(sys::LastError(), static_cast<unsigned>(error));
  }
  EXPECT_TRUE(fs::is_fifo("pipe.bmt"));
  EXPECT_TRUE(fs::is_directory("folder.bmt"));
  EXPECT_EQ(ReadFile("locked.bmt"), "old");
  EXPECT_EQ(NamesIn("."), (std::vector<std::string>{"folder.bmt", "locked.bmt", "loop-a.bmt", "loop-b.bmt", "pipe.bmt"}));
}
#endif

}  // namespace
