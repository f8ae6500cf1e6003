#pragma once
// The platform's file calls with faults on demand, installed for the
// stand-in's lifetime: a disk that fills up after so many bytes, a flush, a
// rename or a read that fails. Every fault leaves kFaultCode in
// sys::LastError, so the same checks hold on every platform.
#include "sys/FileSystem.h"
#include "sys/SystemInfo.h"

namespace testing_support {

constexpr unsigned kFaultCode = 112;  // a full disk on Windows

class FaultyFileSystem : public sys::FileSystem {
 public:
  FaultyFileSystem() { sys::SetFileSystem(this); }
  ~FaultyFileSystem() override { sys::SetFileSystem(nullptr); }

  long long spaceLeft = -1;       // bytes the disk still takes; -1: no end
  int renamesBeforeFailure = -1;  // renames that work before one fails; -1: all work
  bool flushFails = false;
  bool readFails = false;

  bool WriteTarget(const char* path, std::string* target) override { return real_.WriteTarget(path, target); }
  bool Exists(const char* path) override { return real_.Exists(path); }
  sys::FileId CreateNew(const char* path, const char* keepModeOf) override {
    return real_.CreateNew(path, keepModeOf);
  }
  bool Write(sys::FileId file, const void* bytes, size_t count) override {
    if (spaceLeft < 0) return real_.Write(file, bytes, count);
    const size_t fits = static_cast<size_t>(spaceLeft) < count ? static_cast<size_t>(spaceLeft) : count;
    spaceLeft -= static_cast<long long>(fits);
    if (!real_.Write(file, bytes, fits)) return false;
    return fits == count || Fault();
  }
  bool Flush(sys::FileId file) override { return flushFails ? Fault() : real_.Flush(file); }
  bool Close(sys::FileId file) override { return real_.Close(file); }
  bool Rename(const char* from, const char* to) override {
    if (renamesBeforeFailure == 0) return Fault();
    if (renamesBeforeFailure > 0) --renamesBeforeFailure;
    return real_.Rename(from, to);
  }
  bool Remove(const char* path) override { return real_.Remove(path); }
  bool Read(const char* path, void* buffer, size_t capacity, size_t* size) override {
    return readFails ? Fault() : real_.Read(path, buffer, capacity, size);
  }

 private:
  static bool Fault() {
    sys::SetLastError(kFaultCode);
    return false;
  }

  sys::FileSystem& real_ = sys::PlatformFileSystem();
};

}  // namespace testing_support
