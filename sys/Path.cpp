#include "sys/Path.h"

#include <cstring>

namespace sys {
namespace path {

const char* PlatformSeparator() {
  static const char text[2] = {kDirSeparator, '\0'};
  return text;
}

const char* FileNamePart(const char* path, const char* separators) {
  const char* name = path;
  for (const char* at = path; *at; ++at)
    if (std::strchr(separators, *at)) name = at + 1;
  return name;
}

std::string FolderPart(const std::string& path, const char* separators) {
  const size_t last = path.find_last_of(separators);
  return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

bool EndsWith(const std::string& path, const char* ending) {
  const size_t n = std::strlen(ending);
  return path.size() >= n && path.compare(path.size() - n, n, ending) == 0;
}

}  // namespace path
}  // namespace sys
