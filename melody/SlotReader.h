#pragma once
// Reading a melody's note events back out of a block image: the way back
// from what the encoder writes (melody/SlotFormat.h), for images the
// program did not make itself.
#include <cstdint>
#include <string>
#include <vector>

#include "melody/SlotFormat.h"

enum class SlotState { Empty, Melody, Malformed };

struct SlotContents {
  SlotState state = SlotState::Empty;
  std::vector<NoteEvent> events;  // a melody's, in order
  std::string error;              // what is wrong with a malformed slot
};

// Melody k's slot (0..3) of a 2408-byte image: 0xFF at its start is an
// empty melody; otherwise the header 0x14 + k, events, and the terminator
// FC FF 01 within the slot. Anything else is malformed, with no events.
SlotContents ReadSlot(const uint8_t* image, int k);
