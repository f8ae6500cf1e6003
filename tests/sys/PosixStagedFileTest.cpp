// What a write does to links, permission bits and special files.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "tests/sys/FileTestSupport.h"

using namespace file_testing;
using testing_support::ScopedWorkDir;
namespace fs = std::filesystem;

namespace {

const std::string kNew = "the new file";

mode_t ModeOf(const char* path) {
  struct stat info;
  return stat(path, &info) == 0 ? info.st_mode & 0777 : 0;
}

TEST(PosixStagedFile, ALinkedFileIsReplacedAndTheLinkKept) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> links;  // name, where it points
    const char* realFile;
  };
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
    for (const auto& [name, to] : c.links) {
      const std::string absolute = dir.Path().string();
      fs::create_symlink(to.rfind("ABS", 0) == 0 ? absolute + to.substr(3) : to, name);
    }
    EXPECT_EQ(WriteInPieces("song.bmt", kNew), "");
    EXPECT_EQ(ReadFile(c.realFile), kNew);
    for (const auto& link : c.links) EXPECT_TRUE(fs::is_symlink(link.first)) << link.first;
    EXPECT_EQ(NamesIn("."), (std::vector<std::string>{"real.bmt", "song.bmt", "sub"}));
    for (const std::string& name : NamesIn("sub")) EXPECT_EQ(name.find(".part"), std::string::npos) << name;
  }
}

TEST(PosixStagedFile, AReplacedFileKeepsItsPermissionBits) {
  for (mode_t mode : {0600, 0640, 0755}) {
    ScopedWorkDir dir;
    WriteFile("song.bmt", "old");
    chmod("song.bmt", mode);
    EXPECT_EQ(WriteInPieces("song.bmt", kNew), "");
    EXPECT_EQ(ModeOf("song.bmt"), mode);
  }
  ScopedWorkDir dir;
  const mode_t mask = umask(022);
  EXPECT_EQ(WriteInPieces("new.bmt", kNew), "");
  umask(mask);
  EXPECT_EQ(ModeOf("new.bmt"), 0644u);  // a new file, as any program makes it
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
  struct Case {
    const char* path;
    int error;
  };
  const Case cases[] = {{"loop-a.bmt", ELOOP}, {"folder.bmt", EISDIR}, {"pipe.bmt", EOPNOTSUPP}, {"locked.bmt", EACCES}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    if (c.error == EACCES && geteuid() == 0) continue;  // root may write anything
    EXPECT_EQ(WriteInPieces(c.path, kNew), "create");
    EXPECT_EQ(sys::LastError(), static_cast<unsigned>(c.error));
  }
  EXPECT_TRUE(fs::is_fifo("pipe.bmt"));
  EXPECT_TRUE(fs::is_directory("folder.bmt"));
  EXPECT_EQ(ReadFile("locked.bmt"), "old");
  EXPECT_EQ(NamesIn("."), (std::vector<std::string>{"folder.bmt", "locked.bmt", "loop-a.bmt", "loop-b.bmt", "pipe.bmt"}));
}

}  // namespace
