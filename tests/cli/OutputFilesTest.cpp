// What every command that writes leaves on disk and says, whatever is in
// the way: an old file, a folder, its own input, a full disk.
#include <mutex>
#include <thread>

#include "sys/ErrorText.h"
#include "tests/cli/FileCases.h"

using namespace cli_testing;
using testing_support::FaultyFileSystem;

namespace {

const std::vector<Melody> kSong = {{"C2(1/4) D2(1/8)"}};

std::string ProjectBytes(const std::vector<Melody>& melodies) {
  ScopedWorkDir dir;
  WriteProject("p.bmt", melodies);
  return ReadFile("p.bmt");
}

void FilesAround() {
  WriteProject("p.bmt", kSong);
  WriteProject("other.bmt", {{"E2(1/2)"}});
  ASSERT_EQ(Quavrel({"encode", "other.bmt", "-o", "old.bin"}).code, 0);
  WriteFile("old.wav", "old sound");
  WriteFile("old.bmt", "old project");
  WriteFile("block.wav", EncodedBlock(kSong));  // a block under a WAV file's name
  std::filesystem::create_directory("folder.wav");
  std::filesystem::create_directory("z.bid");
}

TEST(OutputFiles, EachWriterChecksItsNameKeepsItsInputAndLeavesNothingHalfDone) {
  const std::string project = ProjectBytes(kSong);
  const std::string reason = sys::ErrorText(testing_support::kFaultCode);
  const FileCase rows[] = {
      {"render over its own project", {"render", "p.bmt", "-o", "p.bmt"}, 2,
       "the WAV file's name must end in \".wav\": p.bmt"},
      {"render to a new file", {"render", "p.bmt", "-o", "new.wav"}, 0, "", {"new.wav"}},
      {"render over an old file", {"render", "p.bmt", "-o", "old.wav"}, 0, "", {"old.wav"}},
      {"render onto a folder", {"render", "p.bmt", "-o", "folder.wav"}, 1, "'folder.wav': "},
      {"render a block over itself", {"render", "--block", "block.wav", "-o", "block.wav"}, 2,
       "'block.wav' is the same file as the input 'block.wav'; give the WAV file another name"},
      {"render to standard output", {"render", "p.bmt", "-o", "-"}, 0,
       "melody 1: 2 notes, 0.744 s (744 ms); wrote the WAV file to standard output", {}, "", "RIFF"},
      {"render from standard input", {"render", "-", "-o", "new.wav"}, 0, "", {"new.wav"}, project},
      {"encode with a folder where its description goes", {"encode", "p.bmt", "-o", "z.bin"}, 1,
       "cannot write 'z.bin' and 'z.bid': "},
      {"encode over its own input", {"encode", "old.bid", "-o", "old.bin"}, 2,
       "'old.bid' is the same file as the input 'old.bid'"},
      {"encode to standard output", {"encode", "p.bmt", "-o", "-"}, 2, "standard output cannot take them"},
      {"encode from standard input", {"encode", "-", "-o", "new.bin"}, 0, "", {"new.bin", "new.bid"}, project,
       "wrote new.bin (2408 bytes) and new.bid"},
      {"a project over its own melody file", {"project", "old.bmt", "--melody", "1", "@old.bmt"}, 2,
       "'old.bmt' is the same file as the input 'old.bmt'"},
      {"a project to standard output", {"project", "-", "--melody", "1", "C2(1/4) D2(1/8)"}, 0, "", {}, "", project},
      {"a melody from standard input", {"project", "new.bmt", "--melody", "1", "@-"}, 0, "", {"new.bmt"},
       "C2(1/4)"},
      {"two melodies from standard input", {"project", "new.bmt", "--melody", "1", "@-", "--melody", "2", "@-"}, 2,
       "only one melody can be read from standard input (@-)"},
      {"show from standard input", {"show", "-"}, 0, "", {}, project, "Melody 1, tempo 128:\n    C2(1/4) D2(1/8)\n"},
      {"check what is not a project", {"check", "-"}, 1, "standard input is not a project file", {}, "x"},
      {"a full disk under a project", {"project", "old.bmt"}, 1, "cannot write 'old.bmt': " + reason, {}, "", "",
       [](FaultyFileSystem& disk) { disk.spaceLeft = 10; }},
      {"a project that cannot be put in place", {"project", "old.bmt"}, 1, "cannot replace 'old.bmt': " + reason, {},
       "", "", [](FaultyFileSystem& disk) { disk.renamesBeforeFailure = 0; }},
      {"a full disk under a WAV file", {"render", "p.bmt", "-o", "old.wav"}, 1, "cannot write 'old.wav': " + reason,
       {}, "", "", [](FaultyFileSystem& disk) { disk.spaceLeft = 100; }},
      {"a full disk under a block", {"encode", "p.bmt", "-o", "old.bin"}, 1,
       "cannot write 'old.bin' and 'old.bid': " + reason, {}, "", "",
       [](FaultyFileSystem& disk) { disk.spaceLeft = 1000; }},
      // The description is in place when the block's rename fails: it is the
      // same description as before.
      {"a block that cannot be put in place", {"encode", "p.bmt", "-o", "old.bin"}, 1,
       "cannot write 'old.bin' and 'old.bid': " + reason, {}, "", "",
       [](FaultyFileSystem& disk) { disk.renamesBeforeFailure = 1; }},
      {"a project that cannot be read", {"show", "p.bmt"}, 1, "cannot read 'p.bmt': " + reason, {}, "", "",
       [](FaultyFileSystem& disk) { disk.readFails = true; }},
  };
  for (const FileCase& row : rows) Check(row, FilesAround);
}

TEST(OutputFiles, RendersToOneNameAtOnceEachPutAWholeFileInPlace) {
  ScopedWorkDir dir;
  WriteProject("p.bmt", kSong);
  ASSERT_EQ(Quavrel({"render", "p.bmt", "-o", "alone.wav"}).code, 0);
  std::mutex lock;
  std::string failures;
  std::vector<std::thread> renders;
  for (int i = 0; i < 20; ++i)
    renders.emplace_back([&] {
      std::string args[] = {"quavrel", "render", "p.bmt", "-o", "out.wav"};
      char* argv[] = {&args[0][0], &args[1][0], &args[2][0], &args[3][0], &args[4][0], nullptr};
      std::ostringstream out, err;
      if (QuavrelMain(5, argv, out, err) == 0) return;
      std::lock_guard<std::mutex> hold(lock);
      failures += err.str();
    });
  for (std::thread& render : renders) render.join();
  EXPECT_EQ(failures, "");
  EXPECT_EQ(ReadFile("out.wav"), ReadFile("alone.wav"));
  std::filesystem::remove("Error.log");
  EXPECT_EQ(FilesHere(), (std::vector<std::string>{"alone.wav", "out.wav", "p.bmt"}));
}

}  // namespace
