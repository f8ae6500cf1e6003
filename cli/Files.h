#pragma once
// Reading whole files, and writing outputs so that a failure never leaves a
// half-written file: each output is written under a temporary name beside
// its final one and moved into place only once it is complete on disk
// (sys/StagedFile.h). Messages name the file and the system's reason.
#include <cstddef>
#include <istream>
#include <ostream>
#include <string>

#include "sys/StagedFile.h"

// "-" as a file name means standard input (or output), where a command
// takes it.
bool IsStandardStream(const std::string& path);

// A file name for a message, its control characters shown (ShownName):
// "song.bmt" and "'song.bmt'", or "standard input" for "-".
std::string ShownSource(const std::string& path);
std::string QuotedSource(const std::string& path);

// What "-" reads: standard input, or the stream a test puts in its place
// (nullptr puts standard input back).
void SetStandardInput(std::istream* in);

// The whole file, or false with a message ("cannot read 'x': reason").
// A file larger than maxBytes is refused as well. "-" reads standard input.
bool ReadFileBytes(const std::string& path, size_t maxBytes, std::string* bytes, std::string* error);

// True also for a file that is there but cannot be read.
bool FileExists(const std::string& path);

// True when both names lead to one file that exists: the same device and
// inode on POSIX (so links count), the same full path on Windows.
bool SameFile(const std::string& first, const std::string& second);

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

// Bytes for "-" as an output, unchanged (binary) on every platform; false
// with a message when they cannot all be written.
bool WriteStandardOutput(std::ostream& out, const void* bytes, size_t count, std::string* error);

// An output written whole, through OutputFile.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* error);

// Why the last system call failed, in the system's words.
std::string LastErrorText();

