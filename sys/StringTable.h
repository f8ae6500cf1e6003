#pragma once
// The program's string table in UTF-8, for builds without resources and for
// the command line. nullptr for an ID without a string.

namespace sys {
const char* StringTableText(unsigned id);
}
