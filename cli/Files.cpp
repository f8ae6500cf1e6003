#include "cli/Files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "sys/ErrorText.h"
#include "sys/SystemInfo.h"

namespace {

std::string Reason() { return errno ? std::strerror(errno) : "unknown error"; }

}  // namespace

bool ReadFileBytes(const std::string& path, size_t maxBytes, std::string* bytes, std::string* error) {
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    *error = "cannot read '" + path + "': " + Reason();
    return false;
  }
  bytes->clear();
  char buffer[65536];
  bool ok = true;
  for (;;) {
    size_t n = std::fread(buffer, 1, sizeof buffer, file);
    bytes->append(buffer, n);
    if (bytes->size() > maxBytes) {
      *error = "'" + path + "' is larger than " + std::to_string(maxBytes) + " bytes";
      ok = false;
      break;
    }
    if (n < sizeof buffer) {
      if (std::ferror(file)) {
        *error = "cannot read '" + path + "': " + Reason();
        ok = false;
      }
      break;
    }
  }
  std::fclose(file);
  return ok;
}

bool FileExists(const std::string& path) {
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return errno != ENOENT;  // there, but not for us to read
  std::fclose(file);
  return true;
}

bool OutputFile::Create(std::string* error) {
  return staged_.Create(path_.c_str()) || Failure("cannot create", error);
}

bool OutputFile::Append(const void* bytes, size_t count, std::string* error) {
  return staged_.Append(bytes, count) || Failure("cannot write", error);
}

bool OutputFile::Commit(std::string* error) {
  if (!staged_.Finish()) return Failure("cannot write", error);
  return staged_.Commit() || Failure("cannot replace", error);
}

bool OutputFile::Failure(const char* what, std::string* error) const {
  *error = std::string(what) + " '" + path_ + "': " + LastErrorText();
  return false;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* error) {
  OutputFile file(path);
  return file.Create(error) && file.Append(bytes.data(), bytes.size(), error) && file.Commit(error);
}

std::string LastErrorText() { return sys::ErrorText(sys::LastError()); }
