#pragma once
// The note names the encoder knows and their tone codes, looked up both
// ways: a name typed in a melody to its code, a code read from a slot back
// to a name.
#include <cstdint>

struct NoteRow {
  const char* name;
  uint16_t toneCode;
};

constexpr int kNoteRowCount = 137;
constexpr uint16_t kPauseToneCode = 0xFFFF;  // "P" alone: silence

// The rows in search order: A1..A8, Ais1..Ais8, ... His8, then P, then P1..P8.
const NoteRow* NoteTable();

// The first row whose name equals name with ASCII letters compared without
// case, as the encoder finds it; nullptr when none.
const NoteRow* FindNote(const char* name);

// The first row in table order with this tone code; nullptr when none.
const NoteRow* FirstNoteWithTone(uint16_t toneCode);
// The note whose tone code lies nearest (first in table order on a tie);
// never the pause, whose code is no tone.
const NoteRow& NearestNote(uint16_t toneCode);
