// What only POSIX systems have in the way of an output: symbolic and hard
// links, permission bits, and terminal text in UTF-8.
#include <sys/stat.h>
#include <unistd.h>

#include "tests/cli/FileCases.h"

using namespace cli_testing;

namespace {

mode_t Mode(const char* path) {
  struct stat info;
  return stat(path, &info) == 0 ? info.st_mode & 0777 : 0;
}

bool IsLink(const char* path) {
  struct stat info;
  return lstat(path, &info) == 0 && S_ISLNK(info.st_mode);
}

void FilesAround() {
  WriteProject("p.bmt", {{"C2(1/4) D2(1/8)"}});
  WriteProject("real.bmt", {{"E2(1/2)"}});
  chmod("real.bmt", 0600);
  EXPECT_EQ(symlink("real.bmt", "link.bmt"), 0);
  EXPECT_EQ(symlink("p.bmt", "p-link.wav"), 0);
  EXPECT_EQ(link("p.bmt", "p-hard.bin"), 0);
  WriteFile("locked.wav", "old sound");
  chmod("locked.wav", 0444);
  std::filesystem::create_directory("folder");
}

TEST(PosixOutputFiles, LinksAndModesStayAndNoLinkLeadsBackToTheInput) {
  const FileCase rows[] = {
      {"a project through a link", {"project", "link.bmt", "--melody", "1", "D2(1/4)"}, 0, "",
       {"real.bmt", "link.bmt"}, "", "", nullptr,
       [] {
         EXPECT_TRUE(IsLink("link.bmt"));
         EXPECT_EQ(Mode("real.bmt"), 0600u);
       }},
      {"render onto a link to its project", {"render", "p.bmt", "-o", "p-link.wav"}, 2,
       "'p-link.wav' is the same file as the input 'p.bmt'"},
      {"encode onto a hard link of its project", {"encode", "p.bmt", "-o", "p-hard.bin"}, 2,
       "'p-hard.bin' is the same file as the input 'p.bmt'"},
      {"a character outside code page 1251", {"project", "new.bmt", "--melody", "2", "C2(1/4)\n ♪ D2(1/8)"}, 0,
       "warning: melody 2, line 2, column 2: \"♪\" is not in code page 1251, in which melodies are kept; it is "
       "stored as \"?\"",
       {"new.bmt"}},
      {"the simulated phone's block in a folder", {"phone-sim", "--eeprom", "folder"}, 1,
       "quavrel phone-sim: cannot read folder: Is a directory"},
  };
  for (const FileCase& row : rows) Check(row, FilesAround);
}

TEST(PosixOutputFiles, AFileWithoutWritePermissionStaysAsItWas) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write anything";
  Check({"a read-only WAV file", {"render", "p.bmt", "-o", "locked.wav"}, 1,
         "cannot create 'locked.wav': Permission denied"},
        FilesAround);
}

}  // namespace
