#include "cli/TerminalText.h"

#include "base/Cp1251.h"

namespace {

// The bytes that Utf8ToCp1251 turns into one character from i on: a lead
// byte and the continuation bytes it announces, as far as they are there.
size_t SequenceLength(const std::string& text, size_t i) {
  const unsigned char lead = static_cast<unsigned char>(text[i]);
  const int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : 0;
  size_t j = i + 1;
  for (int k = 0; k < extra && j < text.size() && (static_cast<unsigned char>(text[j]) & 0xC0) == 0x80; ++k) ++j;
  return j - i;
}

}  // namespace

std::string TerminalFromCp1251(const std::string& text) { return Cp1251ToUtf8(text); }

std::string Cp1251FromTerminal(const std::string& text, std::vector<LostCharacter>* lost) {
  const std::string converted = Utf8ToCp1251(text);
  if (!lost) return converted;
  size_t offset = 0;
  for (size_t i = 0; i < text.size(); ++offset) {
    const size_t length = SequenceLength(text, i);
    const std::string character = text.substr(i, length);
    if (offset < converted.size() && converted[offset] == '?' && character != "?")
      lost->push_back({static_cast<int>(offset), character});
    i += length;
  }
  return converted;
}
