#pragma once
// Reading whole files, and writing outputs so that a failure never leaves a
// half-written file: each output is written under a temporary name beside
// its final one and moved into place only once it is complete on disk
// (sys/StagedFile.h). Messages name the file and the system's reason.
#include <cstddef>
#include <string>

#include "sys/StagedFile.h"

// The whole file, or false with a message ("cannot read 'x': reason").
// A file larger than maxBytes is refused as well.
bool ReadFileBytes(const std::string& path, size_t maxBytes, std::string* bytes, std::string* error);

// True also for a file that is there but cannot be read.
bool FileExists(const std::string& path);

// An output written piece by piece. Each step that fails says why in error
// ("cannot create 'x': reason", "cannot write 'x': reason", "cannot replace
// 'x': reason") and leaves path as it was, with no temporary behind.
class OutputFile {
 public:
  explicit OutputFile(const std::string& path) : path_(path) {}
  bool Create(std::string* error);
  bool Append(const void* bytes, size_t count, std::string* error);
  bool Commit(std::string* error);

 private:
  bool Failure(const char* what, std::string* error) const;

  std::string path_;
  sys::StagedFile staged_;
};

// An output written whole, through OutputFile.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* error);

// Why the last system call failed, in the system's words.
std::string LastErrorText();
