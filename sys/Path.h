#pragma once
// What a path looks like: the platform's separator, and the operations on a
// path's text that the program needs, all here so that each is written once.
// None of them touches the file system.
#include <string>

namespace sys {

extern const char kDirSeparator;  // '\\' on Windows, '/' elsewhere

namespace path {

// Separator sets for the operations below. A name that a file dialog hands
// over or a user types may hold either separator; the program's own path
// and the system's link targets use the platform's alone.
constexpr char kAnySeparator[] = "\\/";
const char* PlatformSeparator();  // kDirSeparator as a text of one

// The file name: what follows the last separator, or the whole path when it
// has none. Points into path.
const char* FileNamePart(const char* path, const char* separators);
// The folder: up to and including the last separator; empty when it has none.
std::string FolderPart(const std::string& path, const char* separators);
// True when path's last characters are ending, compared exactly (case counts).
bool EndsWith(const std::string& path, const char* ending);

}  // namespace path
}  // namespace sys
