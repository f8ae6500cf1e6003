#include "diag/ProgramPath.h"

#include <mutex>
#include <string>

#include "base/TextString.h"
#include "sys/Path.h"
#include "sys/SystemInfo.h"

namespace {
// The header (on whichever thread logs first) and the Open dialog both ask
// for these; computing them must not overlap.
std::mutex pathLock;

TextString PathOf(const TextString& commandLine) {
  int first = commandLine.Find("\"");
  int last = commandLine.FindLast("\"");
  if (first < 0 || last == first) return commandLine;
  if (last == first + 1) return TextString();  // "" holds nothing
  return commandLine.Substring(first + 1, last - first - 1);
}

// The program's path from the command line.
TextString CurrentProgramPath() { return PathOf(TextString(sys::CurrentSystemInfo().CommandLine())); }
}  // namespace

const char* ProgramPath() {
  std::lock_guard<std::mutex> guard(pathLock);
  static TextString result;
  result = CurrentProgramPath();
  return result.Text();
}

const char* ProgramFileName() {
  std::lock_guard<std::mutex> guard(pathLock);
  static std::string result;
  result = sys::path::FileNamePart(CurrentProgramPath().Text(), sys::path::PlatformSeparator());
  return result.c_str();
}

const char* ProgramDirectory() {
  std::lock_guard<std::mutex> guard(pathLock);
  static std::string result;
  const std::string folder = sys::path::FolderPart(CurrentProgramPath().Text(), sys::path::PlatformSeparator());
  if (folder.empty()) return nullptr;  // the text of the last call stays as it was
  result = folder;
  return result.c_str();
}
