#pragma once
// The separator between a path's folders and its file name on this platform.

namespace sys {
extern const char kDirSeparator;  // '\\' on Windows, '/' elsewhere
}
