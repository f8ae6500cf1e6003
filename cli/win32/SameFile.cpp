#include <stdlib.h>
#include <string.h>

#include "cli/Files.h"

// Names are compared as full paths, without case: "song.bmt", ".\SONG.BMT"
// and "C:\music\song.bmt" are one file.
bool SameFile(const std::string& first, const std::string& second) {
  if (!FileExists(first) || !FileExists(second)) return false;
  char a[_MAX_PATH], b[_MAX_PATH];
  if (!_fullpath(a, first.c_str(), sizeof a) || !_fullpath(b, second.c_str(), sizeof b)) return false;
  return _stricmp(a, b) == 0;
}
