#include "sys/posix/Wsprintf.h"

#include <cstring>

// The rules, as measured against wvsprintfA:
// - a field never runs past the buffer: its width and precision are first
//   limited to the room left, so a number near the end keeps its sign and
//   low digits rather than being cut like text;
// - the sign counts as a digit for the precision ("%0.4d" of -5 is "-005");
// - text is padded with blanks only; numbers with zeros up to the precision,
//   and up to the width too when the 0 flag is given;
// - an unknown conversion prints its letter; a lone % at the end nothing;
// - the result is the length, or 1024 once the buffer is full.

namespace {

constexpr unsigned kBufferSize = 1024;

struct Field {
  bool left = false, zero = false, prefix = false;
  unsigned width = 0, precision = 0;
  char type = 0;
};

// Reads flags, width, precision and size letters; stops at the type letter.
const char* ParseField(const char* p, Field* field) {
  if (*p == '-') field->left = true, ++p;
  if (*p == '#') field->prefix = true, ++p;
  if (*p == '0') field->zero = true, ++p;
  while (*p >= '0' && *p <= '9') field->width = field->width * 10 + static_cast<unsigned>(*p++ - '0');
  if (*p == '.') {
    ++p;
    while (*p >= '0' && *p <= '9')
      field->precision = field->precision * 10 + static_cast<unsigned>(*p++ - '0');
  }
  while (*p == 'l' || *p == 'h' || *p == 'w') ++p;  // every argument is 32 bits here
  field->type = *p;
  return p;
}

bool IsNumber(char type) {
  return type == 'd' || type == 'i' || type == 'u' || type == 'x' || type == 'X';
}

// Spells the number with its sign into digits; returns its length.
unsigned SpellNumber(const Field& field, unsigned value, char* digits) {
  const char* set = field.type == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
  unsigned base = (field.type == 'x' || field.type == 'X') ? 16 : 10;
  char* out = digits;
  if ((field.type == 'd' || field.type == 'i') && static_cast<int>(value) < 0) {
    *out++ = '-';
    value = 0u - value;
  }
  char reversed[16];
  int n = 0;
  do {
    reversed[n++] = set[value % base];
    value /= base;
  } while (value);
  while (n > 0) *out++ = reversed[--n];
  return static_cast<unsigned>(out - digits);
}

}  // namespace

int WsprintfV(char* buffer1024, const char* format, va_list argsIn) {
  va_list args;
  va_copy(args, argsIn);
  char* out = buffer1024;
  unsigned room = kBufferSize;  // counts the NUL's place too
  const char* p = format;
  while (*p && room > 1) {
    if (*p != '%' || p[1] == '%') {
      if (*p == '%') ++p;
      *out++ = *p++;
      --room;
      continue;
    }
    Field field;
    p = ParseField(p + 1, &field);
    if (!IsNumber(field.type) && field.type != 's' && field.type != 'c') {
      continue;  // unknown or missing type: the letter is copied as plain text
    }
    ++p;
    const unsigned limit = room - 1;
    if (field.left) field.zero = false;
    if (field.width > limit) field.width = limit;

    char digits[16];
    const char* text = digits;
    unsigned length;
    bool negative = false;
    if (field.type == 'c') {
      digits[0] = static_cast<char>(va_arg(args, int));
      length = field.precision = 1;
    } else if (field.type == 's') {
      text = va_arg(args, const char*);
      if (!text) text = "(null)";
      for (length = 0; field.precision == 0 || length < field.precision; ++length)
        if (!text[length]) break;
      if (length > limit) length = limit;
      field.precision = length;
    } else {
      length = SpellNumber(field, va_arg(args, unsigned), digits);
      negative = digits[0] == '-';
      if (length > limit) length = limit;
      if (field.precision < length) field.precision = length;
      if (field.precision > limit) field.precision = limit;
      if (field.zero && field.width > field.precision) field.precision = field.width;
    }
    bool hexPrefix = field.prefix && (field.type == 'x' || field.type == 'X') && room > 3;

    if (!field.left)
      for (unsigned i = field.precision; i < field.width; ++i, --room) *out++ = ' ';
    if (hexPrefix) {
      *out++ = '0';
      *out++ = field.type;
      room -= 2;
    }
    unsigned skip = 0;
    if (negative) {
      *out++ = '-';
      skip = 1;
    }
    if (IsNumber(field.type))
      for (unsigned i = length; i < field.precision; ++i, --room) *out++ = '0';
    memcpy(out, text + skip, length - skip);
    out += length - skip;
    if (field.left)
      for (unsigned i = field.precision; i < field.width; ++i, --room) *out++ = ' ';
    room -= length;
  }
  va_end(args);
  *out = '\0';
  return room > 1 ? static_cast<int>(out - buffer1024) : static_cast<int>(kBufferSize);
}
