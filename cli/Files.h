#pragma once
// Reading whole files, and writing outputs so that a failure never leaves a
// half-written file: each output is written under a temporary name beside
// its final one and renamed into place only once it is complete.
#include <cstddef>
#include <string>

// The whole file, or false with a message ("cannot read 'x': reason").
// A file larger than maxBytes is refused as well.
bool ReadFileBytes(const std::string& path, size_t maxBytes, std::string* bytes, std::string* error);

// True also for a file that is there but cannot be read.
bool FileExists(const std::string& path);

// Where an output is written before it replaces path. It keeps path's
// ending inside it ("x.bin" -> "x.bin.part") so that a ".bin" stays the
// last ".bin" of the name.
std::string TemporaryPathFor(const std::string& path);

// Writes bytes to a temporary and renames it to path.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* error);

// Renames a complete temporary to path, replacing what was there. On
// failure the temporary is removed and path is left as it was.
bool CommitTemporary(const std::string& temporary, const std::string& path, std::string* error);

// Removes a file if it is there; says nothing either way.
void RemoveQuietly(const std::string& path);
