#include "base/Wsprintf.h"

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

struct Spec {
  bool left = false, zero = false, prefix = false;
  unsigned width = 0, precision = 0;
  char type = 0;
};

// Reads flags, width, precision and size letters; stops at the type letter.
const char* ParseSpec(const char* p, Spec* spec) {
  if (*p == '-') spec->left = true, ++p;
  if (*p == '#') spec->prefix = true, ++p;
  if (*p == '0') spec->zero = true, ++p;
  while (*p >= '0' && *p <= '9') spec->width = spec->width * 10 + static_cast<unsigned>(*p++ - '0');
  if (*p == '.') {
    ++p;
    while (*p >= '0' && *p <= '9')
      spec->precision = spec->precision * 10 + static_cast<unsigned>(*p++ - '0');
  }
  while (*p == 'l' || *p == 'h' || *p == 'w') ++p;  // every argument is 32 bits here
  spec->type = *p;
  return p;
}

bool IsNumber(char type) {
  return type == 'd' || type == 'i' || type == 'u' || type == 'x' || type == 'X';
}

// Spells the number with its sign into digits; returns its length.
unsigned SpellNumber(const Spec& spec, unsigned value, char* digits) {
  const char* set = spec.type == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
  unsigned base = (spec.type == 'x' || spec.type == 'X') ? 16 : 10;
  char* out = digits;
  if ((spec.type == 'd' || spec.type == 'i') && static_cast<int>(value) < 0) {
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
    Spec spec;
    p = ParseSpec(p + 1, &spec);
    if (!IsNumber(spec.type) && spec.type != 's' && spec.type != 'c') {
      continue;  // unknown or missing type: the letter is copied as plain text
    }
    ++p;
    const unsigned limit = room - 1;
    if (spec.left) spec.zero = false;
    if (spec.width > limit) spec.width = limit;

    char digits[16];
    const char* text = digits;
    unsigned length;
    bool negative = false;
    if (spec.type == 'c') {
      digits[0] = static_cast<char>(va_arg(args, int));
      length = spec.precision = 1;
    } else if (spec.type == 's') {
      text = va_arg(args, const char*);
      if (!text) text = "(null)";
      for (length = 0; spec.precision == 0 || length < spec.precision; ++length)
        if (!text[length]) break;
      if (length > limit) length = limit;
      spec.precision = length;
    } else {
      length = SpellNumber(spec, va_arg(args, unsigned), digits);
      negative = digits[0] == '-';
      if (length > limit) length = limit;
      if (spec.precision < length) spec.precision = length;
      if (spec.precision > limit) spec.precision = limit;
      if (spec.zero && spec.width > spec.precision) spec.precision = spec.width;
    }
    bool hexPrefix = spec.prefix && (spec.type == 'x' || spec.type == 'X') && room > 3;

    if (!spec.left)
      for (unsigned i = spec.precision; i < spec.width; ++i, --room) *out++ = ' ';
    if (hexPrefix) {
      *out++ = '0';
      *out++ = spec.type;
      room -= 2;
    }
    unsigned skip = 0;
    if (negative) {
      *out++ = '-';
      skip = 1;
    }
    if (IsNumber(spec.type))
      for (unsigned i = length; i < spec.precision; ++i, --room) *out++ = '0';
    memcpy(out, text + skip, length - skip);
    out += length - skip;
    if (spec.left)
      for (unsigned i = spec.precision; i < spec.width; ++i, --room) *out++ = ' ';
    room -= length;
  }
  va_end(args);
  *out = '\0';
  return room > 1 ? static_cast<int>(out - buffer1024) : static_cast<int>(kBufferSize);
}
