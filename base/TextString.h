#pragma once
// An owned, NUL-terminated 8-bit text with its length beside it. The buffer
// is never null while the string lives: the empty text is one zero byte, and
// every change resizes the buffer to length + 1.
#include <cstdarg>
#include <cstdint>

class TextString {
 public:
  TextString();
  explicit TextString(const char* text);
  TextString(const TextString& other);
  TextString& operator=(const TextString& other);
  ~TextString();

  const char* Text() const { return buffer_; }
  char* Data() { return buffer_; }  // in-place changes that keep the length
  int32_t Length() const { return length_; }

  TextString& Assign(const char* text);
  TextString& Append(const char* text);
  // The string-table text for id; the empty text when there is none.
  TextString& LoadFromId(unsigned id);

  // printf-style through a 1024-byte buffer (at most 1023 characters).
  // Returns the length of the result.
  int Format(const char* format, ...);
  int FormatV(const char* format, va_list args);
  // Formats into a temporary that the next call on the same thread replaces.
  static const char* FormatTemp(const char* format, ...);

  // Offset of the first occurrence of text, or -1.
  int Find(const char* text) const;
  // As Find, from a position; -1 when absent or when from lies beyond the length.
  int Find(const char* text, int from) const;
  // Offset of the last occurrence (overlapping occurrences count), or -1.
  int FindLast(const char* text) const;
  // A negative start counts as 0; a count of 0 or less, or one reaching beyond
  // the end, means up to the end. At most 1023 characters.
  TextString Substring(int start, int count) const;
  // Overwrites in place from position; never grows the string.
  void Overwrite(int position, const char* text);
  // Back to the empty text.
  void Release();

 private:
  void Resize(int32_t length);
  char* buffer_;
  int32_t length_;
};
