#include <windows.h>

#include "sys/FileSystem.h"

namespace sys {
namespace {

HANDLE Handle(FileId file) { return reinterpret_cast<HANDLE>(file); }

// WriteFile and ReadFile take at most a DWORD at a time.
constexpr size_t kLargestCall = 1u << 30;
constexpr int kRenameAttempts = 50;
constexpr DWORD kRenameRetryMs = 10;

class Win32FileSystem : public FileSystem {
 public:
  // Links are left to the system: MoveFileExA replaces what the path names.
  bool WriteTarget(const char* path, std::string* target) override {
    *target = path;
    return true;
  }

  bool Exists(const char* path) override { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

  // A new file takes its folder's security; there are no mode bits to keep.
  FileId CreateNew(const char* path, const char*) override {
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<FileId>(h);
  }

  bool Write(FileId file, const void* bytes, size_t count) override {
    const char* from = static_cast<const char*>(bytes);
    while (count > 0) {
      const DWORD chunk = static_cast<DWORD>(count < kLargestCall ? count : kLargestCall);
      DWORD written = 0;
      if (!::WriteFile(Handle(file), from, chunk, &written, nullptr)) return false;
      if (written == 0) {
        ::SetLastError(ERROR_DISK_FULL);
        return false;
      }
      from += written;
      count -= written;
    }
    return true;
  }

  bool Flush(FileId file) override { return FlushFileBuffers(Handle(file)) != 0; }

  bool Close(FileId file) override { return CloseHandle(Handle(file)) != 0; }

  // While another writer is putting its own file in place at the same
  // name, or a reader holds it open, the replace is refused for a moment:
  // the move is tried again for a while before that counts as a failure.
  bool Rename(const char* from, const char* to) override {
    for (int attempt = 1;; ++attempt) {
      if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
      const DWORD error = GetLastError();
      const DWORD target = GetFileAttributesA(to);
      const bool heldFile = (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) &&
                            target != INVALID_FILE_ATTRIBUTES && (target & FILE_ATTRIBUTE_DIRECTORY) == 0;
      if (!heldFile || attempt == kRenameAttempts) {
        ::SetLastError(error);
        return false;
      }
      ::Sleep(kRenameRetryMs);
    }
  }

  bool Remove(const char* path) override { return ::DeleteFileA(path) != 0; }

  bool Read(const char* path, void* buffer, size_t capacity, size_t* size) override {
    *size = 0;
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    char* into = static_cast<char*>(buffer);
    while (*size < capacity) {
      const size_t left = capacity - *size;
      DWORD got = 0;
      if (!::ReadFile(h, into + *size, static_cast<DWORD>(left < kLargestCall ? left : kLargestCall), &got,
                      nullptr)) {
        const DWORD error = GetLastError();
        CloseHandle(h);
        ::SetLastError(error);
        return false;
      }
      if (got == 0) break;
      *size += got;
    }
    CloseHandle(h);
    return true;
  }
};

}  // namespace

FileSystem& PlatformFileSystem() {
  static Win32FileSystem files;
  return files;
}

bool IsAlreadyThereError(unsigned error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }

}  // namespace sys
