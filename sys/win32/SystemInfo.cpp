#include <windows.h>
#include <shlwapi.h>

#include "sys/SystemInfo.h"

namespace sys {
namespace {

class Win32SystemInfo : public SystemInfo {
 public:
  LocalTime Now() override {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
  }

  bool Version(OsVersion* out) override {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return false;
    *out = {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber,
            nullptr};
    return true;
  }

  bool UserName(char* buffer, unsigned size) override {
    DWORD length = size;
    return GetUserNameA(buffer, &length) != 0;
  }

  bool DllVersion(const char* library, unsigned* major, unsigned* minor) override {
    HMODULE module = LoadLibraryA(library);
    if (!module) return false;
    typedef HRESULT(CALLBACK * DllGetVersionProc)(DLLVERSIONINFO*);
    DllGetVersionProc getVersion =
        reinterpret_cast<DllGetVersionProc>(
            reinterpret_cast<void*>(GetProcAddress(module, "DllGetVersion")));
    bool ok = false;
    if (getVersion) {
      DLLVERSIONINFO info = {};
      info.cbSize = sizeof info;  // 20
      if (getVersion(&info) >= 0) {
        *major = info.dwMajorVersion;
        *minor = info.dwMinorVersion;
        ok = true;
      }
    }
    FreeLibrary(module);
    return ok;
  }

  const char* CommandLine() override { return GetCommandLineA(); }
};

}  // namespace

SystemInfo& PlatformSystemInfo() {
  static Win32SystemInfo info;
  return info;
}

unsigned LastError() { return GetLastError(); }
void SetLastError(unsigned code) { ::SetLastError(code); }

}  // namespace sys
