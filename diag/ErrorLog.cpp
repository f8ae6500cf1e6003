#include "diag/ErrorLog.h"

#include <cstring>
#include <mutex>

#include "diag/ProgramPath.h"
#include "sys/SystemInfo.h"

namespace {

// One lock for the whole log: the window thread, the upload worker and a
// faulting thread all write here, and lines must never interleave. Recursive
// so that a fault inside a log call can still report through the log.
std::recursive_mutex& LogLock() {
  static std::recursive_mutex lock;
  return lock;
}

bool headerPending = true;

const char* PlatformName(const sys::OsVersion& version) {
  static const char* const kNames[] = {"Windows", "Windows NT", "Unknown OS"};
  if (version.platformId >= 1 && version.platformId <= 3) return kNames[version.platformId - 1];
  return version.familyName ? version.familyName : "Unknown OS";
}

void WriteHeader(FileHandle& file, const char* fileName) {
  sys::SystemInfo& system = sys::CurrentSystemInfo();
  sys::OsVersion version = {0, 0, 0, 0, nullptr};
  system.Version(&version);
  TextString osLine(TextString::FormatTemp("Information for debug\r\nOS: %s ver %d.%d",
                                           PlatformName(version), version.major,
                                           version.minor));
  if (version.major >= 5)
    osLine.Append(TextString::FormatTemp(" Build %d\r\n", version.build));
  else
    osLine.Append("\r\n");
  file.Write(osLine);

  file.Write(TextString::FormatTemp("Programme name: %s\r\n", ProgramFileName()));

  sys::LocalTime now = system.Now();
  file.Write(TextString::FormatTemp("File: %s is created %0.2d/%0.2d/%0.4d at %0.2d:%0.2d:%0.2d\r\n",
                                    fileName, now.day, now.month, now.year, now.hour,
                                    now.minute, now.second));

  if (IsDllVersionAtLeast(4, 0, "shell32.dll")) {
    char user[260];
    memset(user, 0, sizeof user);
    if (!system.UserName(user, sizeof user)) strcpy(user, "(unknown)");
    file.Write(TextString::FormatTemp("User name: %s\r\n", user));
  }
  file.Write("\r\nRelease version:\r\n");
}

}  // namespace

bool FileHandle::Open(const char* name, sys::Disposition disposition) {
  Close();
  file_ = sys::OpenFile(name, disposition);
  return file_ != 0;
}

void FileHandle::Close() {
  if (file_) sys::CloseFile(file_);
  file_ = 0;
}

bool FileHandle::SeekToEnd() { return file_ && sys::SeekToEnd(file_); }

unsigned FileHandle::Write(const char* text, unsigned n) {
  if (!file_ || !text) return 0;
  size_t length = strlen(text);
  if (n > length) return 0;
  if (n == 0) n = static_cast<unsigned>(length);
  if (n == 0) return 0;
  return sys::WriteFile(file_, text, n);
}

unsigned FileHandle::Write(const TextString& text, unsigned n) { return Write(text.Text(), n); }

void AppendToLogFile(const char* fileName, const TextString& text) {
  std::lock_guard<std::recursive_mutex> guard(LogLock());
  FileHandle file;
  if (!file.Open(fileName, sys::Disposition::OpenAlways)) return;  // the text is lost
  file.SeekToEnd();
  if (headerPending) {
    headerPending = false;  // written at most once, even if this write fails
    WriteHeader(file, fileName);
  }
  file.Write(text);
}

namespace {
// Formats into the calling operation's own scratch text, adds the ending and
// appends the result to the log.
void AppendFormatted(TextString& scratch, const char* ending, const char* format, va_list args) {
  scratch.FormatV(format, args);
  scratch.Append(ending);
  AppendToLogFile(kErrorLogName, scratch);
}
}  // namespace

void LogMessage(const char* format, ...) {
  std::lock_guard<std::recursive_mutex> guard(LogLock());
  static TextString scratch;
  va_list args;
  va_start(args, format);
  AppendFormatted(scratch, "\r\n", format, args);
  va_end(args);
}

void LogError(const char* format, ...) {
  std::lock_guard<std::recursive_mutex> guard(LogLock());
  static TextString scratch;
  sys::LocalTime now = sys::CurrentSystemInfo().Now();
  va_list args;
  va_start(args, format);
  scratch.FormatV(format, args);
  va_end(args);
  // The whole line goes through the formatting buffer again, so a long
  // message loses its end and the line its "\r\n".
  TextString line(TextString::FormatTemp("%0.2d:%0.2d:%0.2d %s\r\n", now.hour, now.minute,
                                         now.second, scratch.Text()));
  AppendToLogFile(kErrorLogName, line);
}

void LogRaw(const char* format, ...) {
  std::lock_guard<std::recursive_mutex> guard(LogLock());
  static TextString scratch;
  va_list args;
  va_start(args, format);
  AppendFormatted(scratch, "", format, args);
  va_end(args);
}

bool IsDllVersionAtLeast(unsigned major, unsigned minor, const char* library) {
  unsigned haveMajor = 0, haveMinor = 0;
  if (!sys::CurrentSystemInfo().DllVersion(library, &haveMajor, &haveMinor)) return false;
  return haveMajor >= major && haveMinor >= minor;
}

void ResetLogHeaderForTest() {
  std::lock_guard<std::recursive_mutex> guard(LogLock());
  headerPending = true;
}
