#pragma once
// Writing through sys::StagedFile step by step, and what a folder holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "sys/StagedFile.h"
#include "sys/SystemInfo.h"
#include "tests/support/FileFaults.h"
#include "tests/support/TestSupport.h"

namespace file_testing {

using testing_support::ReadFile;
using testing_support::WriteFile;

// Writes bytes to path in three pieces and commits; returns the step that
// failed ("create", "append 1".."append 3", "commit") or "" when all worked.
inline std::string WriteInPieces(const std::string& path, const std::string& bytes) {
  sys::StagedFile file;
  if (!file.Create(path.c_str())) return "create";
  const size_t piece = bytes.size() / 3;
  for (size_t i = 0; i < 3; ++i) {
    const size_t count = i < 2 ? piece : bytes.size() - 2 * piece;
    if (!file.Append(bytes.data() + i * piece, count)) return "append " + std::to_string(i + 1);
  }
  return file.Commit() ? "" : "commit";
}

// The names in a folder, sorted: a temporary left behind shows here.
inline std::vector<std::string> NamesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace file_testing
