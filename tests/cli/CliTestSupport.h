#pragma once
// Running the quavrel command in-process and building the files it reads.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>

#include "cli/Files.h"
#include "cli/QuavrelMain.h"
#include "melody/MelodySet.h"
#include "tests/support/TestSupport.h"

namespace cli_testing {

using testing_support::ReadFile;
using testing_support::ScopedWorkDir;
using testing_support::WriteFile;

struct RunResult { int code; std::string out, err; };

// Runs the command line; what it reads as "-" is input.
inline RunResult Quavrel(std::vector<std::string> args, const std::string& input = "") {
  args.insert(args.begin(), "quavrel");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(&arg[0]);
  argv.push_back(nullptr);
  std::istringstream in(input);
  std::ostringstream out, err;
  SetStandardInput(&in);
  int code = QuavrelMain(static_cast<int>(args.size()), argv.data(), out, err);
  SetStandardInput(nullptr);
  return {code, out.str(), err.str()};
}

// Runs a command line that must succeed.
inline RunResult Ok(const std::vector<std::string>& args, const std::string& input = "") {
  RunResult run = Quavrel(args, input);
  EXPECT_EQ(run.code, 0) << run.err;
  return run;
}

struct Melody { std::string text; uint16_t tempo = kDefaultTempo; };

// A set holding the melodies (melody 1 first), its image cleared.
inline std::unique_ptr<MelodySet> SetOf(const std::vector<Melody>& melodies) {
  auto set = std::make_unique<MelodySet>();
  for (size_t k = 0; k < melodies.size(); ++k) {
    melodies[k].text.copy(set->MelodyText(static_cast<int>(k)), kMelodyTextSize - 1);
    set->MelodyTempo(static_cast<int>(k)) = melodies[k].tempo;
  }
  return set;
}

// A project file as the program's own Save writes it.
inline void WriteProject(const std::string& path, const std::vector<Melody>& melodies) {
  SetOf(melodies)->SaveProject(path.c_str());
}

// The bytes of such a file, written in a folder of their own.
inline std::string ProjectBytes(const std::vector<Melody>& melodies) {
  ScopedWorkDir dir;
  WriteProject("p.bmt", melodies);
  return ReadFile("p.bmt");
}

// A project record written byte by byte, so that a text may be of any length.
inline std::string Record(const std::string& text, unsigned tempo = kDefaultTempo) {
  auto word = [](size_t value) { return std::string{static_cast<char>(value & 0xFF), static_cast<char>(value >> 8 & 0xFF)}; };
  return word(text.size()) + text + word(tempo);
}

// The block the program's Save to a ".bin" path gives for the melodies.
inline std::string EncodedBlock(const std::vector<Melody>& melodies) {
  auto set = SetOf(melodies);
  set->EncodeAll();
  return std::string(reinterpret_cast<const char*>(set->BlockImage()), kBlockImageSize);
}

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Each file in the current folder but the log: its kind and permissions (a
// link stays a link, a file keeps its mode) and its bytes.
inline std::map<std::string, std::pair<std::string, std::string>> Snapshot() {
  namespace fs = std::filesystem;
  std::map<std::string, std::pair<std::string, std::string>> files;
  for (const auto& entry : fs::directory_iterator("."))
    files[entry.path().filename().string()] = {
        std::to_string(static_cast<int>(fs::symlink_status(entry).type())) + " " +
            std::to_string(static_cast<int>(fs::status(entry).permissions())),
        entry.is_directory() ? "" : ReadFile(entry.path())};
  files.erase("Error.log");
  return files;
}

// Runs the command and expects it to end with code, saying message, and to
// leave every file as it was.
inline void ExpectFailure(const std::vector<std::string>& args, int code, const std::string& message) {
  const auto before = Snapshot();
  RunResult run = Quavrel(args);
  EXPECT_EQ(run.code, code) << message;
  EXPECT_TRUE(Contains(run.err, message)) << run.err;
  EXPECT_TRUE(Snapshot() == before) << "the files changed: " << message;
}

}  // namespace cli_testing
