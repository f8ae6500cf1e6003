#include "melody/NoteTable.h"

#include <cstdio>
#include <cstdlib>

#include "melody/AsciiCase.h"

namespace {

struct NoteName {
  const char* name;
  uint16_t octaveOneCode;
};

// Tone codes for octave digit 1; each higher digit doubles them. B and H
// name the same note, as do Bis and His, and Eis and F.
constexpr NoteName kNames[] = {
    {"A", 440},   {"Ais", 466}, {"B", 494},   {"Bis", 267}, {"C", 261},   {"Cis", 277},
    {"D", 293},   {"Dis", 311}, {"E", 329},   {"Eis", 349}, {"F", 349},   {"Fis", 370},
    {"G", 392},   {"Gis", 415}, {"H", 494},   {"His", 267},
};
constexpr int kOctaves = 8;
constexpr uint16_t kPauseOctaveOneCode = 259;

struct Table {
  char names[kNoteRowCount][5];
  NoteRow rows[kNoteRowCount];

  Table() {
    int row = 0;
    for (const NoteName& note : kNames)
      for (int octave = 1; octave <= kOctaves; ++octave)
        Add(row++, note.name, octave, static_cast<uint16_t>(note.octaveOneCode << (octave - 1)));
    Add(row++, "P", 0, kPauseToneCode);
    for (int octave = 1; octave <= kOctaves; ++octave)
      Add(row++, "P", octave, static_cast<uint16_t>(kPauseOctaveOneCode << (octave - 1)));
  }

  void Add(int row, const char* name, int octave, uint16_t toneCode) {
    const char digit[2] = {static_cast<char>('0' + octave), '\0'};  // octaves are 1..8
    snprintf(names[row], sizeof names[row], "%s%s", name, octave > 0 ? digit : "");
    rows[row] = NoteRow{names[row], toneCode};
  }
};

}  // namespace

const NoteRow* NoteTable() {
  static const Table table;
  return table.rows;
}

const NoteRow* FindNote(const char* name) {
  for (int i = 0; i < kNoteRowCount; ++i)
    if (EqualIgnoringAsciiCase(NoteTable()[i].name, name)) return &NoteTable()[i];
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
