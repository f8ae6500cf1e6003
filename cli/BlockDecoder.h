#pragma once
// Reading the four melodies back out of a block image: each slot's events,
// and events turned back into note text at a tempo.
#include <cstdint>
#include <string>
#include <vector>

struct NoteEvent {
  uint16_t toneCode;
  uint16_t duration;
};

enum class SlotState { Empty, Melody, Malformed };

struct SlotContents {
  SlotState state = SlotState::Empty;
  std::vector<NoteEvent> events;
  std::string error;  // what is wrong with a malformed slot
};

// Melody k's slot (0..3) of a 2408-byte image: 0xFF at its start is an
// empty melody; otherwise the header 0x14 + k, events, and the terminator
// FC FF 01 within the slot.
SlotContents ReadSlot(const uint8_t* image, int k);

struct DecodedMelody {
  std::string text;                  // "C2(1/4) D2(1/8)"
  std::vector<std::string> notices;  // "event 3: ..." for what has no exact token
};

// Each tone code as the first note name with that code (the nearest note
// when none has it), each duration as the token that gives it at this
// tempo (the nearest one when none does).
DecodedMelody EventsToNoteText(const std::vector<NoteEvent>& events, uint16_t tempo);
