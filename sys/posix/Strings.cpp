// Without resources, the string table comes from the shared list in UTF-8.
#include <cstring>

#include "sys/StringTable.h"
#include "sys/Strings.h"

namespace sys {

void SetResourceModule(void*) {}

int LoadTableString(unsigned id, char* buffer, int size) {
  if (size <= 0) return 0;
  buffer[0] = '\0';
  const char* text = StringTableText(id);
  if (!text) return 0;
  strncpy(buffer, text, static_cast<size_t>(size) - 1);
  buffer[size - 1] = '\0';
  return static_cast<int>(strlen(buffer));
}

}  // namespace sys
