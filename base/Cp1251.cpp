#include "base/Cp1251.h"

#include <cstdint>

namespace {
// Unicode code points of bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
const uint16_t kHigh[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

uint32_t CodePoint(unsigned char byte) {
  if (byte < 0x80) return byte;
  if (byte >= 0xC0) return 0x0410 + (byte - 0xC0);
  return kHigh[byte - 0x80];
}

void PutUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

char ByteFor(uint32_t cp) {
  if (cp < 0x80) return static_cast<char>(cp);
  if (cp >= 0x0410 && cp <= 0x044F) return static_cast<char>(0xC0 + (cp - 0x0410));
  for (int i = 0; i < 64; ++i)
    if (kHigh[i] == cp && cp != 0) return static_cast<char>(0x80 + i);
  return '?';
}
}  // namespace

std::string Cp1251ToUtf8(const std::string& text) {
  std::string out;
  for (unsigned char byte : text) {
    uint32_t cp = CodePoint(byte);
    if (cp == 0 && byte != 0) cp = '?';  // 0x98 is unassigned
    PutUtf8(out, cp);
  }
  return out;
}

std::string Utf8ToCp1251(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    uint32_t cp;
    int extra;
    if (lead < 0x80) cp = lead, extra = 0;
    else if ((lead & 0xE0) == 0xC0) cp = lead & 0x1F, extra = 1;
    else if ((lead & 0xF0) == 0xE0) cp = lead & 0x0F, extra = 2;
    else if ((lead & 0xF8) == 0xF0) cp = lead & 0x07, extra = 3;
    else {
      out += '?';
      ++i;
      continue;
    }
    size_t j = i + 1;
    for (int k = 0; k < extra; ++k, ++j) {
      if (j >= text.size() || (static_cast<unsigned char>(text[j]) & 0xC0) != 0x80) break;
      cp = (cp << 6) | (static_cast<unsigned char>(text[j]) & 0x3F);
    }
    out += (j - i == static_cast<size_t>(extra) + 1) ? ByteFor(cp) : '?';
    i = j;
  }
  return out;
}
