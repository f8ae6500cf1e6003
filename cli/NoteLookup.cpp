#include "cli/NoteLookup.h"

#include <cstdlib>

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size(); ++i)
    if (b[i] == '\0' || LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return b[i] == '\0';
}

}  // namespace

const NoteRow* FindNoteRow(const std::string& name) {
  for (int i = 0; i < kNoteRowCount; ++i)
    if (EqualIgnoringCase(name, NoteTable()[i].name)) return &NoteTable()[i];
  return nullptr;
}

const DurationRow* FindDurationRow(const std::string& token) {
  for (int i = 0; i < kDurationRowCount; ++i)
    if (EqualIgnoringCase(token, DurationTable()[i].token)) return &DurationTable()[i];
  return nullptr;
}

const NoteRow* FirstNoteWithTone(uint16_t toneCode) {
  for (int i = 0; i < kNoteRowCount; ++i)
    if (NoteTable()[i].toneCode == toneCode) return &NoteTable()[i];
  return nullptr;
}

const NoteRow& NearestNote(uint16_t toneCode) {
  const NoteRow* best = nullptr;
  long bestDistance = 0;
  for (int i = 0; i < kNoteRowCount; ++i) {
    const NoteRow& row = NoteTable()[i];
    if (row.toneCode == kPauseToneCode) continue;
    long distance = std::labs(static_cast<long>(row.toneCode) - static_cast<long>(toneCode));
    if (!best || distance < bestDistance) {
      best = &row;
      bestDistance = distance;
    }
  }
  return *best;
}

uint16_t StoredDuration(uint16_t base, uint16_t tempo) {
  uint32_t scaled = ScaledDuration(base, tempo);
  return scaled > kLongestDuration ? kLongestDuration : static_cast<uint16_t>(scaled);
}
