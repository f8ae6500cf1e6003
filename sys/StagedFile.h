#pragma once
// A file written whole under a temporary name beside the file it replaces,
// flushed to disk, and only then moved into place in one step: the file at
// the path is either as it was or complete, never half-written. The
// temporary is NAME.part (NAME.1.part and so on when that name is taken).
//
// Every failure removes the temporary and leaves the system's error code in
// sys::LastError for the caller to show and log.
#include <cstddef>
#include <string>

#include "sys/File.h"

namespace sys {

class StagedFile {
 public:
  StagedFile() = default;
  ~StagedFile();  // discards a temporary that was not committed
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // Creates the temporary for path. False when it cannot be created or path
  // cannot be replaced; nothing is left then.
  bool Create(const char* path);
  // False when not every byte was written (a full disk): the temporary is
  // removed.
  bool Append(const void* bytes, size_t count);
  // Puts every byte on the disk and closes the temporary; false (and the
  // temporary removed) when that fails.
  bool Finish();
  // Finishes if needed, then moves the temporary over the target. False
  // when either fails: the temporary is removed, the target is as it was.
  bool Commit();
  // Removes the temporary, if any; LastError keeps its value.
  void Discard();

  // The file a Commit replaces: the path given to Create or, through
  // symbolic links, the file they lead to.
  const std::string& Target() const { return target_; }

 private:
  bool Fail();  // Discard, then false

  std::string target_;
  std::string temporary_;
  FileId file_ = 0;
};

// Removes path if it is there; LastError keeps its value.
void RemoveKeepingError(const char* path);

}  // namespace sys
