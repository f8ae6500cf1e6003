// The process's current file calls: the platform's unless a test has put
// its own in place.
#include <atomic>

#include "sys/FileSystem.h"

namespace sys {
namespace {
std::atomic<FileSystem*> currentFiles{nullptr};
}  // namespace

FileSystem& CurrentFileSystem() {
  FileSystem* files = currentFiles.load();
  return files ? *files : PlatformFileSystem();
}
void SetFileSystem(FileSystem* files) { currentFiles.store(files); }

}  // namespace sys
