#include "base/TextString.h"

#include <cstdlib>
#include <cstring>

#include "sys/Format.h"
#include "sys/Strings.h"

namespace {
constexpr int32_t kMaxSubstring = 1023;

char* Allocate(int32_t length) {
  char* buffer = static_cast<char*>(malloc(static_cast<size_t>(length) + 1));
  if (!buffer) abort();  // no exceptions: running out of memory ends the run
  buffer[length] = '\0';
  return buffer;
}
}  // namespace

TextString::TextString() : buffer_(Allocate(0)), length_(0) {}

TextString::TextString(const char* text) : TextString() { Assign(text); }

TextString::TextString(const TextString& other) : TextString() { Assign(other.buffer_); }

TextString& TextString::operator=(const TextString& other) {
  if (this != &other) Assign(other.buffer_);
  return *this;
}

TextString::~TextString() { free(buffer_); }

void TextString::Resize(int32_t length) {
  char* resized = static_cast<char*>(realloc(buffer_, static_cast<size_t>(length) + 1));
  if (!resized) abort();
  buffer_ = resized;
  length_ = length;
  buffer_[length] = '\0';
}

TextString& TextString::Assign(const char* text) {
  if (!text) text = "";
  if (text == buffer_) return *this;
  int32_t length = static_cast<int32_t>(strlen(text));
  char* fresh = Allocate(length);  // text may point into our own buffer
  memcpy(fresh, text, static_cast<size_t>(length));
  free(buffer_);
  buffer_ = fresh;
  length_ = length;
  return *this;
}

TextString& TextString::Append(const char* text) {
  if (!text || !*text) return *this;
  TextString copy(text);  // text may point into our own buffer
  int32_t old = length_;
  Resize(old + copy.length_);
  memcpy(buffer_ + old, copy.buffer_, static_cast<size_t>(copy.length_));
  return *this;
}

TextString& TextString::LoadFromId(unsigned id) {
  char buffer[1024];
  memset(buffer, 0, sizeof buffer);
  sys::LoadTableString(id, buffer, sizeof buffer);
  buffer[sizeof buffer - 1] = '\0';
  return Assign(buffer);
}

int TextString::Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  int length = FormatV(format, args);
  va_end(args);
  return length;
}

int TextString::FormatV(const char* format, va_list args) {
  char buffer[sys::kFormatBufferSize];
  memset(buffer, 0, sizeof buffer);
  sys::FormatV(buffer, format ? format : "", args);
  buffer[sizeof buffer - 1] = '\0';
  Assign(buffer);
  return length_;
}

const char* TextString::FormatTemp(const char* format, ...) {
  // One per thread: the log and the phone jobs format from different threads.
  static thread_local TextString temp;
  va_list args;
  va_start(args, format);
  temp.FormatV(format, args);
  va_end(args);
  return temp.Text();
}

int TextString::Find(const char* text) const { return Find(text, 0); }

int TextString::Find(const char* text, int from) const {
  if (!text || from < 0 || from > length_) return -1;
  const char* hit = strstr(buffer_ + from, text);
  return hit ? static_cast<int>(hit - buffer_) : -1;
}

int TextString::FindLast(const char* text) const {
  int last = -1;
  for (int hit = Find(text, 0); hit >= 0; hit = Find(text, hit + 1)) last = hit;
  return last;
}

TextString TextString::Substring(int start, int count) const {
  if (start < 0) start = 0;
  if (start > length_) start = length_;
  int available = length_ - start;
  if (count <= 0 || count > available) count = available;
  if (count > kMaxSubstring) count = kMaxSubstring;
  TextString result;
  result.Resize(count);
  memcpy(result.buffer_, buffer_ + start, static_cast<size_t>(count));
  return result;
}

void TextString::Overwrite(int position, const char* text) {
  if (!text || !*text || position < 0 || position >= length_) return;
  for (int i = 0; text[i] && position + i < length_; ++i) buffer_[position + i] = text[i];
}

void TextString::Release() { Resize(0); }
