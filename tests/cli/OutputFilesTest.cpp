// What every command that writes leaves on disk and says, whatever is in
// the way: an old file, a folder, its own input, a full disk, and on POSIX
// systems links, permission bits and terminal text in UTF-8.
#include <functional>
#include <thread>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "sys/ErrorText.h"
#include "tests/cli/CliTestSupport.h"
#include "tests/support/FileFaults.h"

using namespace cli_testing;
namespace fs = std::filesystem;

namespace {

const std::vector<Melody> kSong = {{"C2(1/4) D2(1/8)"}};

// One command line, what it reads as "-" and the disk's faults, if any; what
// must hold after: its exit code, a part of its message, how its standard
// output starts, and the files it leaves with other contents or new. Every
// other file must be as it was and nothing else may appear.
struct FileCase {
  const char* what; std::vector<std::string> args; int code; std::string message;
  std::vector<std::string> written = {}; std::string input = "", outStart = "";
  std::function<void(testing_support::FaultyFileSystem&)> disk = nullptr;
};

void FilesAround() {
  WriteProject("p.bmt", kSong);
  WriteProject("other.bmt", {{"E2(1/2)"}});
  Ok({"encode", "other.bmt", "-o", "old.bin"});
  WriteFile("old.wav", "old sound");
  WriteFile("old.bmt", "old project");
  WriteFile("block.wav", EncodedBlock(kSong));  // a block under a WAV file's name
  fs::create_directory("folder.wav");
  fs::create_directory("z.bid");
#ifndef _WIN32
  WriteProject("real.bmt", {{"E2(1/2)"}});
  chmod("real.bmt", 0600);
  EXPECT_EQ(symlink("real.bmt", "link.bmt") | symlink("p.bmt", "p-link.wav") | link("p.bmt", "p-hard.bin"), 0);
  WriteFile("locked.wav", "old sound");
  chmod("locked.wav", 0444);
#endif
}

void Check(const FileCase& row) {
  SCOPED_TRACE(row.what);
  ScopedWorkDir dir;
  FilesAround();
  auto before = Snapshot();
  RunResult run;
  {
    testing_support::FaultyFileSystem disk;
    if (row.disk) row.disk(disk);
    run = Quavrel(row.args, row.input);
  }
  EXPECT_EQ(run.code, row.code) << run.err;
  EXPECT_TRUE(Contains(run.err, row.message)) << run.err;
  EXPECT_EQ(run.out.substr(0, row.outStart.size()), row.outStart);
  // Every failure says why: nothing ends in ": ", as a message missing the
  // system's reason would.
  EXPECT_FALSE(Contains(run.err, ": \n")) << run.err;
  auto after = Snapshot();
  for (const std::string& name : row.written) {  // new or rewritten; one that was there keeps its kind and mode
    auto& old = before[name];
    EXPECT_NE(old.second, after[name].second) << name;
    old = {old.first.empty() ? after[name].first : old.first, after[name].second};
  }
  for (const auto& [name, file] : after) EXPECT_TRUE(before.count(name) && before[name] == file) << name;
  EXPECT_EQ(after.size(), before.size()) << "a file is gone";
}

TEST(OutputFiles, EachWriterChecksItsNameKeepsItsInputAndLeavesNothingHalfDone) {
  const std::string project = ProjectBytes(kSong), reason = sys::ErrorText(testing_support::kFaultCode);
  const std::string cannot = "cannot write 'old.bin' and 'old.bid': " + reason;
  std::vector<FileCase> rows = {
      {"render over its own project", {"render", "p.bmt", "-o", "p.bmt"}, 2, "WAV file's name must end in \".wav\": p.bmt"},
      {"render onto a folder", {"render", "p.bmt", "-o", "folder.wav"}, 1, "'folder.wav': "},
      {"render a block over itself", {"render", "--block", "block.wav", "-o", "block.wav"}, 2,
       "'block.wav' is the same file as the input 'block.wav'; give the WAV file another name"},
      {"render to standard output", {"render", "p.bmt", "-o", "-"}, 0, "wrote the WAV file to standard output", {}, "", "RIFF"},
      {"encode with a folder for its description", {"encode", "p.bmt", "-o", "z.bin"}, 1, "cannot write 'z.bin' and 'z.bid': "},
      {"encode over its own input", {"encode", "old.bid", "-o", "old.bin"}, 2, "'old.bid' is the same file as the input 'old.bid'"},
      {"encode to standard output", {"encode", "p.bmt", "-o", "-"}, 2, "standard output cannot take them"},
      {"encode from standard input", {"encode", "-", "-o", "new.bin"}, 0, "", {"new.bin", "new.bid"}, project,
       "wrote new.bin (2408 bytes) and new.bid"},
      {"a project over its own melody file", {"project", "old.bmt", "--melody", "1", "@old.bmt"}, 2,
       "'old.bmt' is the same file as the input 'old.bmt'"},
      {"a melody from standard input", {"project", "new.bmt", "--melody", "1", "@-"}, 0, "", {"new.bmt"}, "C2(1/4)"},
      {"check what is not a project", {"check", "-"}, 1, "standard input is not a project file", {}, "x"},
      {"a full disk under a project", {"project", "old.bmt"}, 1, "cannot write 'old.bmt': " + reason, {}, "", "",
       [](auto& disk) { disk.spaceLeft = 10; }},
      {"a project that cannot be put in place", {"project", "old.bmt"}, 1, "cannot replace 'old.bmt': " + reason, {},
       "", "", [](auto& disk) { disk.renamesBeforeFailure = 0; }},
      {"a full disk under a WAV file", {"render", "p.bmt", "-o", "old.wav"}, 1, "cannot write 'old.wav': " + reason,
       {}, "", "", [](auto& disk) { disk.spaceLeft = 100; }},
      {"a full disk under a block", {"encode", "p.bmt", "-o", "old.bin"}, 1, cannot, {}, "", "",
       [](auto& disk) { disk.spaceLeft = 1000; }},
      // The description is in place when the block's rename fails: it is the
      // same description as before.
      {"a block that cannot be put in place", {"encode", "p.bmt", "-o", "old.bin"}, 1, cannot, {}, "", "",
       [](auto& disk) { disk.renamesBeforeFailure = 1; }},
      {"a project that cannot be read", {"show", "p.bmt"}, 1, "cannot read 'p.bmt': " + reason, {}, "", "",
       [](auto& disk) { disk.readFails = true; }},
#ifndef _WIN32
      {"a project through a link", {"project", "link.bmt", "--melody", "1", "D2(1/4)"}, 0, "", {"real.bmt", "link.bmt"}},
      {"render onto a link to its project", {"render", "p.bmt", "-o", "p-link.wav"}, 2,
       "'p-link.wav' is the same file as the input 'p.bmt'"},
      {"encode onto a hard link of its project", {"encode", "p.bmt", "-o", "p-hard.bin"}, 2,
       "'p-hard.bin' is the same file as the input 'p.bmt'"},
      {"a character outside code page 1251", {"project", "new.bmt", "--melody", "2", "C2(1/4)\n ♪ D2(1/8)"}, 0,
       "warning: melody 2, line 2, column 2: \"♪\" is not in code page 1251, in which melodies are kept; it is "
       "stored as \"?\"",
       {"new.bmt"}},
      {"the simulated phone's block in a folder", {"phone-sim", "--eeprom", "folder.wav"}, 1,
       "quavrel phone-sim: cannot read folder.wav: Is a directory"},
#endif
  };
#ifndef _WIN32
  if (geteuid() != 0)  // root may write anything
    rows.push_back({"a read-only WAV file", {"render", "p.bmt", "-o", "locked.wav"}, 1,
                    "cannot create 'locked.wav': Permission denied"});
#endif
  for (const FileCase& row : rows) Check(row);
}

TEST(OutputFiles, RendersToOneNameAtOnceEachPutAWholeFileInPlace) {
  ScopedWorkDir dir;
  WriteProject("p.bmt", kSong);
  Ok({"render", "p.bmt", "-o", "alone.wav"});
  std::vector<std::string> failures(20);
  std::vector<std::thread> renders;
  for (std::string& failure : failures)
    renders.emplace_back([&failure] {
      std::string args[] = {"quavrel", "render", "p.bmt", "-o", "out.wav"};
      char* argv[] = {&args[0][0], &args[1][0], &args[2][0], &args[3][0], &args[4][0], nullptr};
      std::ostringstream out, err;
      if (QuavrelMain(5, argv, out, err) != 0) failure = err.str();
    });
  for (std::thread& render : renders) render.join();
  EXPECT_EQ(failures, std::vector<std::string>(20));
  EXPECT_EQ(ReadFile("out.wav"), ReadFile("alone.wav"));
  EXPECT_EQ(Snapshot().size(), 3u);  // no temporary left
}

}  // namespace
