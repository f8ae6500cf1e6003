#pragma once
// A melody's note events, as a slot holds them, back into note text at a
// tempo, for the decode command.
#include <cstdint>
#include <string>
#include <vector>

#include "melody/SlotFormat.h"

struct DecodedMelody {
  std::string text;                  // "C2(1/4) D2(1/8)"
  std::vector<std::string> notices;  // "event 3: ..." for what has no exact token
};

// A melody's slot with its header and no events: a text with no duration in
// it, which the encoder writes as that again. An empty text would make the
// slot empty (0xFF) instead.
constexpr char kNoNotesText[] = "P";

// Each tone code as the first note name with that code (the nearest note
// when none has it), each duration as the token that gives it at this
// tempo (the nearest one when none does); no events as kNoNotesText.
DecodedMelody EventsToNoteText(const std::vector<NoteEvent>& events, uint16_t tempo);
