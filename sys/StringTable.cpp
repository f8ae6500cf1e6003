#include "sys/StringTable.h"

#include "texts/StringIds.h"

namespace sys {
namespace {
struct Entry {
  unsigned id;
  const char* text;
};
#define QUAVREL_STRING(id, text) {id, text},
const Entry kEntries[] = {
#include "texts/StringTable.inc"
};
#undef QUAVREL_STRING
}  // namespace

const char* StringTableText(unsigned id) {
  for (const Entry& entry : kEntries)
    if (entry.id == id) return entry.text;
  return nullptr;
}
}  // namespace sys
