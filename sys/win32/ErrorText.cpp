#include <windows.h>

#include "sys/ErrorText.h"

namespace sys {

std::string ErrorText(unsigned code) {
  char text[512];
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                text, sizeof text, nullptr);
  // The system's texts end in a full stop and a line break; ours go on.
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' ' ||
                        text[length - 1] == '.'))
    --length;
  if (length == 0) return "system error " + std::to_string(code);
  return std::string(text, length);
}

}  // namespace sys
