#pragma once
// The few raw file calls of the error log: open-always with read sharing,
// seek to end, write, close, delete; and the rename that puts a finished
// file in place of the old one.
#include <cstdint>

namespace sys {

using FileId = intptr_t;  // 0: no file
enum class Disposition { OpenAlways, CreateAlways, OpenExisting };

// Opens for reading and writing, sharing read access only.
FileId OpenFile(const char* name, Disposition disposition);
bool SeekToEnd(FileId file);
// Returns the number of bytes written.
unsigned WriteFile(FileId file, const void* bytes, unsigned count);
void CloseFile(FileId file);
bool DeleteFile(const char* name);
// Renames from to to, replacing a file already at to; false when it fails
// (to is then left as it was).
bool ReplaceFile(const char* from, const char* to);

}  // namespace sys
