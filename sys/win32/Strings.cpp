#include <windows.h>

#include "sys/Strings.h"

namespace sys {
namespace {
HINSTANCE resourceModule = nullptr;
}

void SetResourceModule(void* module) { resourceModule = static_cast<HINSTANCE>(module); }

int LoadTableString(unsigned id, char* buffer, int size) {
  if (size <= 0) return 0;
  buffer[0] = '\0';
  HINSTANCE module = resourceModule ? resourceModule : GetModuleHandleA(nullptr);
  return LoadStringA(module, id, buffer, size);
}

}  // namespace sys
