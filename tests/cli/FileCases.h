#pragma once
// One row per command line: the files around it before, what it reads as
// "-", a failing disk if any, and what must hold after: its exit code, a
// part of its message, what it wrote to standard output, and every file.
#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/cli/CliTestSupport.h"
#include "tests/support/FileFaults.h"

namespace cli_testing {

struct FileCase {
  const char* what;
  std::vector<std::string> args;
  int code;
  std::string message;  // a part of standard error
  // Files the run leaves with other contents than before, or new; every
  // other file must be as it was and nothing else may appear.
  std::vector<std::string> written = {};
  std::string input = "";     // standard input
  std::string outStart = "";  // how standard output starts
  std::function<void(testing_support::FaultyFileSystem&)> disk = nullptr;
  std::function<void()> then = nullptr;  // further checks on the files after
};

// The files in the current folder, each with its bytes ("<folder>" for one).
inline std::map<std::string, std::string> Snapshot() {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator("."))
    files[entry.path().filename().string()] = entry.is_directory() ? "<folder>" : ReadFile(entry.path());
  return files;
}

// Runs the row in a folder of its own that setUp fills.
inline void Check(const FileCase& row, const std::function<void()>& setUp) {
  SCOPED_TRACE(row.what);
  ScopedWorkDir dir;
  setUp();
  const auto before = Snapshot();
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
  after.erase("Error.log");
  for (const std::string& name : row.written) {
    EXPECT_TRUE(after.count(name) && (!before.count(name) || after[name] != before.at(name))) << name;
    after.erase(name);
  }
  for (const auto& [name, bytes] : before)
    if (name != "Error.log" && std::find(row.written.begin(), row.written.end(), name) == row.written.end()) {
      EXPECT_TRUE(after.count(name) && after[name] == bytes) << name << " changed";
      after.erase(name);
    }
  for (const auto& left : after) ADD_FAILURE() << left.first << " was left behind";
  if (row.then) row.then();
}

}  // namespace cli_testing
