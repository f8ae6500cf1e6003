#include "cli/Files.h"

#include <iostream>
#include <memory>

#include "cli/StandardStreams.h"
#include "cli/TextDisplay.h"
#include "sys/ErrorText.h"
#include "sys/FileSystem.h"
#include "sys/SystemInfo.h"

namespace {

std::istream* standardInput = nullptr;

bool ReadStandardInput(size_t maxBytes, std::string* bytes, std::string* error) {
  std::istream& in = standardInput ? *standardInput : std::cin;
  PassBytesUnchanged(in);
  bytes->clear();
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    bytes->append(buffer, static_cast<size_t>(in.gcount()));
    if (bytes->size() > maxBytes) {
      *error = "standard input holds more than " + std::to_string(maxBytes) + " bytes";
      return false;
    }
  }
  if (in.bad()) {
    *error = "cannot read standard input";
    return false;
  }
  return true;
}

}  // namespace

bool IsStandardStream(const std::string& path) { return path == "-"; }

std::string ShownSource(const std::string& path) {
  return IsStandardStream(path) ? "standard input" : ShownName(path);
}

std::string QuotedSource(const std::string& path) {
  return IsStandardStream(path) ? "standard input" : "'" + ShownName(path) + "'";
}

void SetStandardInput(std::istream* in) { standardInput = in; }

bool ReadFileBytes(const std::string& path, size_t maxBytes, std::string* bytes, std::string* error) {
  if (IsStandardStream(path)) return ReadStandardInput(maxBytes, bytes, error);
  // One byte beyond the largest allowed tells a file that is too large.
  std::unique_ptr<char[]> buffer(new char[maxBytes + 1]);
  size_t size = 0;
  if (!sys::CurrentFileSystem().Read(path.c_str(), buffer.get(), maxBytes + 1, &size)) {
    *error = "cannot read " + QuotedSource(path) + ": " + LastErrorText();
    return false;
  }
  bytes->assign(buffer.get(), size);
  if (size > maxBytes) {
    *error = QuotedSource(path) + " is larger than " + std::to_string(maxBytes) + " bytes";
    return false;
  }
  return true;
}

bool FileExists(const std::string& path) { return sys::CurrentFileSystem().Exists(path.c_str()); }

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
  *error = std::string(what) + " " + QuotedSource(path_) + ": " + LastErrorText();
  return false;
}

bool WriteStandardOutput(std::ostream& out, const void* bytes, size_t count, std::string* error) {
  PassBytesUnchanged(out);
  sys::SetLastError(0);
  if (out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(count)) && out.flush()) return true;
  const unsigned reason = sys::LastError();
  *error = "cannot write to standard output" + (reason ? ": " + sys::ErrorText(reason) : std::string());
  return false;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* error) {
  OutputFile file(path);
  return file.Create(error) && file.Append(bytes.data(), bytes.size(), error) && file.Commit(error);
}

std::string LastErrorText() { return sys::ErrorText(sys::LastError()); }
