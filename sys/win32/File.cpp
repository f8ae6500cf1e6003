#include <windows.h>
// <windows.h> maps this name onto DeleteFileA; ours is a sys:: function
// that callers reach without it.
#undef DeleteFile

#include "sys/File.h"
#include "sys/Path.h"

namespace sys {

const char kDirSeparator = '\\';

FileId OpenFile(const char* name, Disposition disposition) {
  DWORD creation = disposition == Disposition::OpenAlways     ? OPEN_ALWAYS
                   : disposition == Disposition::CreateAlways ? CREATE_ALWAYS
                                                              : OPEN_EXISTING;
  HANDLE h = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, creation,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  return h == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<FileId>(h);
}

bool SeekToEnd(FileId file) {
  return SetFilePointer(reinterpret_cast<HANDLE>(file), 0, nullptr, FILE_END) !=
         INVALID_SET_FILE_POINTER;
}

unsigned WriteFile(FileId file, const void* bytes, unsigned count) {
  DWORD written = 0;
  if (!::WriteFile(reinterpret_cast<HANDLE>(file), bytes, count, &written, nullptr)) return 0;
  return written;
}

void CloseFile(FileId file) {
  if (file) CloseHandle(reinterpret_cast<HANDLE>(file));
}

bool DeleteFile(const char* name) { return DeleteFileA(name) != 0; }

}  // namespace sys
