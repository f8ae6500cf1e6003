#pragma once
// Facts about the machine and the process that the error log's header needs.
// Tests substitute them with SetSystemInfo so the expected text is exact.

namespace sys {

struct LocalTime {
  int year, month, day, hour, minute, second;
};

struct OsVersion {
  unsigned platformId;      // 1, 2, 3 as Windows reports it; 0 elsewhere
  unsigned major, minor, build;
  const char* familyName;   // the system's own name where platformId says nothing
};

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;
  virtual LocalTime Now() = 0;
  virtual bool Version(OsVersion* out) = 0;
  virtual bool UserName(char* buffer, unsigned size) = 0;
  // DllGetVersion of a library; false when it cannot be loaded or has none.
  virtual bool DllVersion(const char* library, unsigned* major, unsigned* minor) = 0;
  virtual const char* CommandLine() = 0;
};

SystemInfo& PlatformSystemInfo();
SystemInfo& CurrentSystemInfo();
void SetSystemInfo(SystemInfo* info);  // nullptr restores the platform's

// The operating system's last error code (GetLastError, or errno).
unsigned LastError();
void SetLastError(unsigned code);

}  // namespace sys
