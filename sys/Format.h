#pragma once
// printf-style formatting as the Windows wvsprintfA does it, into a
// 1024-byte buffer: a result holds at most 1023 characters.
#include <cstdarg>

namespace sys {

constexpr int kFormatBufferSize = 1024;

// The platform's formatter: wvsprintfA on Windows, our own elsewhere.
// Returns what wvsprintfA returns: the length, or 1024 when the text was cut.
int FormatV(char* buffer1024, const char* format, va_list args);

}  // namespace sys
