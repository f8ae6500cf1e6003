#include "cli/Files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "sys/File.h"

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

std::string TemporaryPathFor(const std::string& path) { return path + ".part"; }

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* error) {
  std::string temporary = TemporaryPathFor(path);
  errno = 0;
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) {
    *error = "cannot create '" + path + "': " + Reason();
    return false;
  }
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    *error = "cannot write '" + path + "': " + Reason();
    RemoveQuietly(temporary);
    return false;
  }
  return CommitTemporary(temporary, path, error);
}

bool CommitTemporary(const std::string& temporary, const std::string& path, std::string* error) {
  errno = 0;
  if (sys::ReplaceFile(temporary.c_str(), path.c_str())) return true;
  *error = "cannot replace '" + path + "'";
  if (errno) *error += std::string(": ") + Reason();
  RemoveQuietly(temporary);
  return false;
}

void RemoveQuietly(const std::string& path) { std::remove(path.c_str()); }
