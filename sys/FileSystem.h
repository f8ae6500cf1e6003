#pragma once
// The file calls that whole-file writing and reading are built from. Tests
// put their own in place (SetFileSystem) to make a write stop halfway, as on
// a full disk, or a rename fail, and check what is left on disk.
#include <cstddef>
#include <string>

#include "sys/File.h"

namespace sys {

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // The file that writing path replaces: path itself or, where the system
  // has symbolic links, the file they lead to (which need not exist yet).
  // False (LastError set) when that cannot be replaced by a write: a loop
  // of links, a file without write permission, or something that is not a
  // plain file.
  virtual bool WriteTarget(const char* path, std::string* target) = 0;
  // True when anything is at path, a dangling link included.
  virtual bool Exists(const char* path) = 0;
  // Creates a file that must not exist yet, for writing. It takes the
  // permission bits of the existing file at keepModeOf, where the system has
  // them. 0 (LastError set) on failure.
  virtual FileId CreateNew(const char* path, const char* keepModeOf) = 0;
  // Writes all count bytes; false (LastError set) when fewer went.
  virtual bool Write(FileId file, const void* bytes, size_t count) = 0;
  // Returns only once the bytes written are on the disk.
  virtual bool Flush(FileId file) = 0;
  virtual bool Close(FileId file) = 0;
  // Moves from to to in one step, replacing a file at to.
  virtual bool Rename(const char* from, const char* to) = 0;
  virtual bool Remove(const char* path) = 0;
  // Reads path from its start until its end or until capacity bytes are
  // in; *size says how many came. False (LastError set) when it cannot be
  // opened or read.
  virtual bool Read(const char* path, void* buffer, size_t capacity, size_t* size) = 0;
};

// Whether a CreateNew failed because something was already at the path.
bool IsAlreadyThereError(unsigned error);

FileSystem& PlatformFileSystem();
FileSystem& CurrentFileSystem();
void SetFileSystem(FileSystem* files);  // nullptr restores the platform's

}  // namespace sys
