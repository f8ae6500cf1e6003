#pragma once
// The string table by ID, and the one message box built from it.
#include <windows.h>

// The text for id (empty when there is none), in a buffer of the calling
// thread that its next call replaces. The window thread and the upload
// worker each have their own, so one never replaces what the other reads.
// The caller may change the text in place.
char* ResString(unsigned id);

// MessageBoxA with the texts of textId and captionId (looked up into texts
// of its own).
int ResMessageBox(HWND owner, unsigned textId, unsigned captionId, UINT type);

// The error box of a file operation that failed: the text of textId, the
// file, and what the system says of error, under the caption "Ошибка".
int FileErrorBox(HWND owner, unsigned textId, const char* path, unsigned error);
