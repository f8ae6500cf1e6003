#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "sys/File.h"
#include "sys/Path.h"

namespace sys {

const char kDirSeparator = '/';

FileId OpenFile(const char* name, Disposition disposition) {
  int flags = O_RDWR | O_CLOEXEC;
  if (disposition == Disposition::OpenAlways) flags |= O_CREAT;
  if (disposition == Disposition::CreateAlways) flags |= O_CREAT | O_TRUNC;
  int fd = open(name, flags, 0644);
  if (fd < 0) return 0;
  // Read sharing only: a second writer waits its turn instead of interleaving.
  flock(fd, LOCK_EX);
  return static_cast<FileId>(fd) + 1;  // descriptor 0 must not read as "no file"
}

bool SeekToEnd(FileId file) { return lseek(static_cast<int>(file - 1), 0, SEEK_END) >= 0; }

unsigned WriteFile(FileId file, const void* bytes, unsigned count) {
  const char* p = static_cast<const char*>(bytes);
  unsigned done = 0;
  while (done < count) {
    ssize_t n = write(static_cast<int>(file - 1), p + done, count - done);
    if (n <= 0) break;
    done += static_cast<unsigned>(n);
  }
  return done;
}

void CloseFile(FileId file) {
  if (file) close(static_cast<int>(file - 1));
}

bool DeleteFile(const char* name) { return unlink(name) == 0; }

}  // namespace sys
