#pragma once
// "Error.log": the faults the user is not shown. Every call opens the file,
// appends and closes it; the first write of a run puts the header block in
// front. Calls from several threads are serialized.
#include "base/TextString.h"
#include "sys/File.h"

constexpr const char* kErrorLogName = "Error.log";

// A plain line: the formatted text and "\r\n".
void LogMessage(const char* format, ...);
// A time-stamped line: "hh:mm:ss message\r\n". By the log's convention the
// message ends in "error code: %d" with the system's last error: that tells
// something where a system call has just failed, and is only whatever the
// last call left where the fault is the program's own.
void LogError(const char* format, ...);
// The formatted text exactly, no line end.
void LogRaw(const char* format, ...);
// Opens (OPEN_ALWAYS), seeks to the end, writes the header if still pending,
// then the text; closes.
void AppendToLogFile(const char* fileName, const TextString& text);

// True when library's DllGetVersion reports at least major.minor (each
// compared by itself).
bool IsDllVersionAtLeast(unsigned major, unsigned minor, const char* library);

// Makes the next write start with a header again, as at process start.
// Only tests need this.
void ResetLogHeaderForTest();

class FileHandle {
 public:
  FileHandle() = default;
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  bool Open(const char* name, sys::Disposition disposition);
  void Close();
  bool SeekToEnd();
  // Writes the first n bytes, or all of the text when n is 0; nothing (and
  // 0) when n exceeds the text's length. Returns the bytes written.
  unsigned Write(const char* text, unsigned n = 0);
  unsigned Write(const TextString& text, unsigned n = 0);
  bool IsOpen() const { return file_ != 0; }

 private:
  sys::FileId file_ = 0;
};
