#include "sys/posix/Wsprintf.h"
#include "sys/Format.h"

namespace sys {
int FormatV(char* buffer1024, const char* format, va_list args) {
  return WsprintfV(buffer1024, format, args);
}
}  // namespace sys
