#pragma once
// Our own implementation of the Windows wvsprintfA rules, so that POSIX
// builds format byte for byte as the Windows build does. The Windows build
// compiles it too, only for the tests that hold it to the real wvsprintfA.
#include <cstdarg>

// Formats into buffer1024 (always NUL-terminated). Returns the length of the
// text, or 1024 when it had to be cut to 1023 characters, as wvsprintfA does.
int WsprintfV(char* buffer1024, const char* format, va_list args);
