#pragma once
// The program's string table, by numeric ID.

namespace sys {

// Fills buffer with the text for id (at most size - 1 characters), or the
// empty text when there is none. Windows: LoadStringA on the program's
// resources (code page 1251 under a Russian locale). Elsewhere: the shared
// table in UTF-8.
int LoadTableString(unsigned id, char* buffer, int size);

// The module whose resources LoadString reads (the HINSTANCE on Windows).
void SetResourceModule(void* module);

}  // namespace sys
