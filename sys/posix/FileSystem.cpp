#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "sys/FileSystem.h"
#include "sys/Path.h"

namespace sys {
namespace {

// As many links as the kernel follows before it calls it a loop.
constexpr int kMaxLinkHops = 40;

int Descriptor(FileId file) { return static_cast<int>(file - 1); }

class PosixFileSystem : public FileSystem {
 public:
  bool WriteTarget(const char* path, std::string* target) override {
    std::string at = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
      struct stat info;
      if (lstat(at.c_str(), &info) != 0) {
        if (errno != ENOENT) return false;
        *target = at;  // a new file (a link may name one that is not there yet)
        return true;
      }
      if (S_ISLNK(info.st_mode)) {
        char link[PATH_MAX];
        const ssize_t length = readlink(at.c_str(), link, sizeof link);
        if (length < 0) return false;
        const std::string next(link, static_cast<size_t>(length));
        at = !next.empty() && next[0] == '/' ? next : path::FolderPart(at, path::PlatformSeparator()) + next;
        continue;
      }
      // A rename would replace a device or a folder instead of writing to it.
      if (!S_ISREG(info.st_mode)) {
        errno = S_ISDIR(info.st_mode) ? EISDIR : EOPNOTSUPP;
        return false;
      }
      // A rename ignores the file's own permission; an open for writing would not.
      if (access(at.c_str(), W_OK) != 0) return false;
      *target = at;
      return true;
    }
    errno = ELOOP;
    return false;
  }

  bool Exists(const char* path) override {
    struct stat info;
    return lstat(path, &info) == 0;
  }

  FileId CreateNew(const char* path, const char* keepModeOf) override {
    const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return 0;
    struct stat model;
    if (stat(keepModeOf, &model) == 0 && fchmod(fd, model.st_mode & 0777) != 0) {
      const int error = errno;
      close(fd);
      unlink(path);
      errno = error;
      return 0;
    }
    return static_cast<FileId>(fd) + 1;  // descriptor 0 must not read as "no file"
  }

  bool Write(FileId file, const void* bytes, size_t count) override {
    const char* from = static_cast<const char*>(bytes);
    while (count > 0) {
      const ssize_t n = write(Descriptor(file), from, count);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (n == 0) errno = ENOSPC;
        return false;
      }
      from += n;
      count -= static_cast<size_t>(n);
    }
    return true;
  }

  bool Flush(FileId file) override { return fsync(Descriptor(file)) == 0; }

  bool Close(FileId file) override { return close(Descriptor(file)) == 0; }

  bool Rename(const char* from, const char* to) override {
    if (std::rename(from, to) != 0) return false;
    // The rename itself is on the disk only once its folder is.
    const std::string folder = path::FolderPart(to, path::PlatformSeparator());
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
      fsync(fd);
      close(fd);
    }
    return true;
  }

  bool Remove(const char* path) override { return unlink(path) == 0; }

  bool Read(const char* path, void* buffer, size_t capacity, size_t* size) override {
    *size = 0;
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char* into = static_cast<char*>(buffer);
    while (*size < capacity) {
      const ssize_t n = read(fd, into + *size, capacity - *size);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        const int error = errno;
        close(fd);
        errno = error;
        return false;
      }
      if (n == 0) break;
      *size += static_cast<size_t>(n);
    }
    close(fd);
    return true;
  }
};

}  // namespace

FileSystem& PlatformFileSystem() {
  static PosixFileSystem files;
  return files;
}

bool IsAlreadyThereError(unsigned error) { return error == EEXIST; }

}  // namespace sys
