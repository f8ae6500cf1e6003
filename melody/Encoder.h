#pragma once
// The tables and rules by which note text becomes note events.
#include <cstdint>

struct NoteRow {
  const char* name;
  uint16_t toneCode;
};
struct DurationRow {
  const char* token;
  uint16_t base;
};

constexpr int kNoteRowCount = 137;
constexpr int kDurationRowCount = 10;
constexpr int kMaxEventsPerSlot = 149;
constexpr uint16_t kPauseToneCode = 0xFFFF;
constexpr uint16_t kPlaceholderToneCode = 0xFFFF;
constexpr uint16_t kPlaceholderDuration = 31;

// In search order.
const NoteRow* NoteTable();
const DurationRow* DurationTable();

// The event duration for a base duration at a tempo, before it is stored in
// 16 bits: tempo 0 counts as 1; up to 256 it multiplies by 256 div tempo,
// above it divides by tempo div 256. A value above 65535 is stored as 65535.
uint32_t ScaledDuration(uint16_t base, uint16_t tempo);

// Told of what the encoder does beyond the bytes, for the command line's
// reports. Positions are byte offsets into the melody text.
class EncodeObserver {
 public:
  virtual ~EncodeObserver() = default;
  // An unknown note or duration, or a duration that came out as 0: the
  // event became the placeholder. notePosition is where the note token
  // began (-1 when it is empty), durationPosition where its "(" stands.
  virtual void OnPlaceholder(int k, const char* noteToken, const char* durationToken,
                             int notePosition, int durationPosition) = 0;
  // More events than the slot holds: only the first keptEvents were written.
  // droppedFromPosition is where the first event left out begins (its note
  // token, or its "(" when the token is empty); nothing from there on was
  // encoded.
  virtual void OnTruncated(int k, int keptEvents, int droppedFromPosition) = 0;
};
