#include "sys/StagedFile.h"

#include "sys/FileSystem.h"
#include "sys/SystemInfo.h"

namespace sys {
namespace {

// A temporary left by a crash must not block later writes for good.
constexpr int kTemporaryNames = 100;

std::string TemporaryName(const std::string& target, int attempt) {
  return attempt == 0 ? target + ".part" : target + "." + std::to_string(attempt) + ".part";
}

}  // namespace

StagedFile::~StagedFile() { Discard(); }

bool StagedFile::Create(const char* path) {
  Discard();
  FileSystem& files = CurrentFileSystem();
  if (!files.WriteTarget(path, &target_)) return false;
  for (int attempt = 0; attempt < kTemporaryNames; ++attempt) {
    std::string name = TemporaryName(target_, attempt);
    file_ = files.CreateNew(name.c_str(), target_.c_str());
    if (file_) {
      temporary_ = name;
      return true;
    }
    // Another writer may hold the name, or have just moved its file away
    // from it: either way the next name may be free.
    const unsigned error = LastError();
    const bool taken = IsAlreadyThereError(error) || files.Exists(name.c_str());
    SetLastError(error);
    if (!taken) return false;
  }
  return false;  // every name taken: LastError says "exists"
}

bool StagedFile::Append(const void* bytes, size_t count) {
  if (!file_) return false;
  return CurrentFileSystem().Write(file_, bytes, count) || Fail();
}

bool StagedFile::Finish() {
  if (temporary_.empty()) return false;
  if (!file_) return true;
  FileSystem& files = CurrentFileSystem();
  const bool flushed = files.Flush(file_);
  if (!flushed) return Fail();
  const FileId file = file_;
  file_ = 0;
  return files.Close(file) || Fail();
}

bool StagedFile::Commit() {
  if (!Finish()) return false;
  if (!CurrentFileSystem().Rename(temporary_.c_str(), target_.c_str())) return Fail();
  temporary_.clear();
  return true;
}

void StagedFile::Discard() {
  const unsigned error = LastError();
  FileSystem& files = CurrentFileSystem();
  if (file_) files.Close(file_);
  file_ = 0;
  if (!temporary_.empty()) files.Remove(temporary_.c_str());
  temporary_.clear();
  SetLastError(error);
}

bool StagedFile::Fail() {
  Discard();
  return false;
}

void RemoveKeepingError(const char* path) {
  const unsigned error = LastError();
  CurrentFileSystem().Remove(path);
  SetLastError(error);
}

}  // namespace sys
