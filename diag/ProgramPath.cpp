#include "diag/ProgramPath.h"

#include <mutex>

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

// The program's path from the command line, and where its last separator
// stands (-1 when it has none).
TextString CurrentProgramPath(int* lastSeparator) {
  TextString path = PathOf(TextString(sys::CurrentSystemInfo().CommandLine()));
  const char separator[2] = {sys::kDirSeparator, '\0'};
  *lastSeparator = path.FindLast(separator);
  return path;
}
}  // namespace

const char* ProgramPath() {
  std::lock_guard<std::mutex> guard(pathLock);
  static TextString result;
  int separator;
  result = CurrentProgramPath(&separator);
  return result.Text();
}

const char* ProgramFileName() {
  std::lock_guard<std::mutex> guard(pathLock);
  static TextString result;
  int separator;
  TextString path = CurrentProgramPath(&separator);
  result = separator < 0 ? path : path.Substring(separator + 1, 0);
  return result.Text();
}

const char* ProgramDirectory() {
  std::lock_guard<std::mutex> guard(pathLock);
  static TextString result;
  int separator;
  TextString path = CurrentProgramPath(&separator);
  if (separator < 0) return nullptr;  // the text of the last call stays as it was
  result = path.Substring(0, separator + 1);
  return result.Text();
}
