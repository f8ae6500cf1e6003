#pragma once
// The Open and Save dialogs. Each keeps the chosen path in a 1024-byte
// buffer of its own and returns it: the full path, or empty when the user
// cancels. Window thread only.
#include <windows.h>

// Starts in the program's folder; does not change the current directory.
const char* OpenFileDialog(HWND owner, unsigned filterId, const char* defaultExtension);
// Starts in the current directory, which the platform then moves to the
// chosen file's folder; asks before overwriting.
const char* SaveFileDialog(HWND owner, unsigned filterId, const char* defaultExtension);
