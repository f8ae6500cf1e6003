#pragma once
// Looking the encoder's note and duration tables up in both directions.
#include <cstdint>
#include <string>

#include "melody/Encoder.h"

// The rows the encoder would find for a token (ASCII letters compared
// without case, first row in table order); nullptr when none.
const NoteRow* FindNoteRow(const std::string& name);
const DurationRow* FindDurationRow(const std::string& token);

// The first row in table order with this tone code; nullptr when none.
const NoteRow* FirstNoteWithTone(uint16_t toneCode);
// The note whose tone code lies nearest (first in table order on a tie),
// the pause rows aside.
const NoteRow& NearestNote(uint16_t toneCode);

// A duration as it lands in a note event: the scaled duration kept to 16
// bits (the encoder saturates what does not fit at 65535).
uint16_t StoredDuration(uint16_t base, uint16_t tempo);
constexpr uint16_t kLongestDuration = 0xFFFF;
