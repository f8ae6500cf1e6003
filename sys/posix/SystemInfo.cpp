// System facts on POSIX. Where the log header's wording asks for a Windows
// value, the POSIX counterpart is used:
//   time        localtime_r of the wall clock
//   OS line     uname: platform id 0 with sysname as the family name, the
//               first three numbers of the release as major, minor and build
//   user name   getpwuid of the real user id, else $USER
//   DllVersion  "shell32.dll" stands for the system shell, which is always
//               there: reported as 6.0; any other library is not found
//   command line the program's absolute path in double quotes (as a Windows
//               shell writes it), then the arguments, from /proc/self
#include <errno.h>
#include <pwd.h>
#include <stdlib.h>
#include <string.h>
#include <sys/utsname.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "sys/SystemInfo.h"

namespace sys {
namespace {

class PosixSystemInfo : public SystemInfo {
 public:
  LocalTime Now() override {
    time_t now = time(nullptr);
    tm parts;
    localtime_r(&now, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
            parts.tm_hour,        parts.tm_min,     parts.tm_sec};
  }

  bool Version(OsVersion* out) override {
    static utsname names;
    if (uname(&names) != 0) return false;
    unsigned numbers[3] = {0, 0, 0};
    sscanf(names.release, "%u.%u.%u", &numbers[0], &numbers[1], &numbers[2]);
    *out = {0, numbers[0], numbers[1], numbers[2], names.sysname};
    return true;
  }

  bool UserName(char* buffer, unsigned size) override {
    const char* name = nullptr;
    if (passwd* entry = getpwuid(getuid())) name = entry->pw_name;
    if (!name) name = getenv("USER");
    if (!name || strlen(name) + 1 > size) return false;
    strcpy(buffer, name);
    return true;
  }

  bool DllVersion(const char* library, unsigned* major, unsigned* minor) override {
    if (strcmp(library, "shell32.dll") != 0) return false;
    *major = 6;
    *minor = 0;
    return true;
  }

  const char* CommandLine() override {
    static std::string line = Build();
    return line.c_str();
  }

 private:
  static std::string Build() {
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string line = "\"" + std::string(exe, n > 0 ? n : 0) + "\"";
    if (FILE* f = fopen("/proc/self/cmdline", "rb")) {
      std::string all;
      char chunk[4096];
      size_t got;
      while ((got = fread(chunk, 1, sizeof chunk, f)) > 0) all.append(chunk, got);
      fclose(f);
      size_t pos = all.find('\0');  // skip argv[0]
      while (pos != std::string::npos && pos + 1 < all.size()) {
        size_t end = all.find('\0', pos + 1);
        line += " " + all.substr(pos + 1, end - pos - 1);
        pos = end;
      }
    }
    return line;
  }
};

}  // namespace

SystemInfo& PlatformSystemInfo() {
  static PosixSystemInfo info;
  return info;
}

unsigned LastError() { return static_cast<unsigned>(errno); }
void SetLastError(unsigned code) { errno = static_cast<int>(code); }

}  // namespace sys
