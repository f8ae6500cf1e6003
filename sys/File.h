#pragma once
// The few raw file calls of the error log: open-always with read sharing,
// seek to end, write, close, delete. Whole files are written through
// sys/StagedFile.h.
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

}  // namespace sys
