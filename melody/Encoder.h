#pragma once
// What the encoder (MelodySet::DecodeToBuffer) makes of a note it cannot
// take, and the observer that hears of it. The tables it reads are in
// melody/NoteTable.h and melody/DurationTable.h, the slot it writes in
// melody/SlotFormat.h.
#include <cstdint>

// An unknown note or duration, or a duration of 0 at the tempo, becomes
// this short silence, whatever the tempo.
constexpr uint16_t kPlaceholderToneCode = 0xFFFF;
constexpr uint16_t kPlaceholderDuration = 31;

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
