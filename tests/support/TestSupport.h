#pragma once
// Shared helpers for the unit tests: a temporary working folder and
// substitute system facts, so log output and files are exact and isolated.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "sys/Path.h"
#include "sys/SystemInfo.h"

namespace testing_support {

// Creates a fresh folder, makes it the current directory, and on destruction
// goes back and removes it.
class ScopedWorkDir {
 public:
  ScopedWorkDir() : previous_(std::filesystem::current_path()) {
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() /
            ("quavrel-test-" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(path_);
    std::filesystem::current_path(path_);
  }
  ~ScopedWorkDir() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Fixed system facts; installs itself for its lifetime.
class FakeSystemInfo : public sys::SystemInfo {
 public:
  FakeSystemInfo() { sys::SetSystemInfo(this); }
  ~FakeSystemInfo() override { sys::SetSystemInfo(nullptr); }

  sys::LocalTime now{2003, 12, 6, 14, 5, 9};
  sys::OsVersion version{2, 5, 1, 2600, nullptr};
  bool versionOk = true;
  const char* user = "operator";
  unsigned shellMajor = 6, shellMinor = 0;
  bool shellPresent = true;
  std::string commandLine = std::string("\"D:") + sys::kDirSeparator + "Tools" + sys::kDirSeparator + "tool.exe\" ";

  sys::LocalTime Now() override { return now; }
  bool Version(sys::OsVersion* out) override {
    if (versionOk) *out = version;
    return versionOk;
  }
  bool UserName(char* buffer, unsigned size) override {
    if (!user || std::string(user).size() + 1 > size) return false;
    std::string(user).copy(buffer, size);
    buffer[std::string(user).size()] = '\0';
    return true;
  }
  bool DllVersion(const char* library, unsigned* major, unsigned* minor) override {
    if (!shellPresent || std::string(library) != "shell32.dll") return false;
    *major = shellMajor;
    *minor = shellMinor;
    return true;
  }
  const char* CommandLine() override { return commandLine.c_str(); }
};

}  // namespace testing_support
