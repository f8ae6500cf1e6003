#include "cli/BlockDecoder.h"

#include <cstdio>

#include "melody/DurationTable.h"
#include "melody/MelodySet.h"
#include "melody/NoteTable.h"

namespace {

constexpr uint8_t kEmptySlotMark = 0xFF;
constexpr uint16_t kFirstHeader = 0x0014;
constexpr uint8_t kTerminator[3] = {0xFC, 0xFF, 0x01};
constexpr int kHeaderSize = 2;
constexpr int kEventSize = 4;

uint16_t ReadU16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] | bytes[1] << 8); }

std::string Hex4(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", value & 0xFFFF);
  return text;
}

bool TerminatorAt(const uint8_t* slot, int at) {
  return at + 3 <= kSlotSize && slot[at] == kTerminator[0] && slot[at + 1] == kTerminator[1] &&
         slot[at + 2] == kTerminator[2];
}

}  // namespace

SlotContents ReadSlot(const uint8_t* image, int k) {
  SlotContents contents;
  const uint8_t* slot = image + kSlotSize * (kMelodyCount - 1 - k);
  if (slot[0] == kEmptySlotMark) return contents;
  uint16_t header = ReadU16(slot);
  uint16_t expected = static_cast<uint16_t>(kFirstHeader + k);
  if (header != expected) {
    contents.state = SlotState::Malformed;
    contents.error = "its slot begins with " + Hex4(header) + " where a melody " +
                     std::to_string(k + 1) + " begins with " + Hex4(expected) + " (or 0xFF when empty)";
    return contents;
  }
  int at = kHeaderSize;
  while (!TerminatorAt(slot, at)) {
    if (at + kEventSize > kSlotSize) {
      contents.state = SlotState::Malformed;
      contents.error = "its slot has no end mark (FC FF 01) after " +
                       std::to_string(contents.events.size()) + " notes";
      contents.events.clear();
      return contents;
    }
    contents.events.push_back({ReadU16(slot + at), ReadU16(slot + at + 2)});
    at += kEventSize;
  }
  contents.state = SlotState::Melody;
  return contents;
}

DecodedMelody EventsToNoteText(const std::vector<NoteEvent>& events, uint16_t tempo) {
  DecodedMelody melody;
  for (size_t i = 0; i < events.size(); ++i) {
    const NoteEvent& event = events[i];
    std::string number = "event " + std::to_string(i + 1) + ": ";
    const NoteRow* note = FirstNoteWithTone(event.toneCode);
    if (!note) {
      note = &NearestNote(event.toneCode);
      melody.notices.push_back(number + "tone " + std::to_string(event.toneCode) +
                               " is no note's; written as the nearest, " + note->name + " (" +
                               std::to_string(note->toneCode) + ")");
    }
    bool exact = false;
    const DurationRow& duration = NearestDuration(event.duration, tempo, &exact);
    if (!exact)
      melody.notices.push_back(number + "duration " + std::to_string(event.duration) +
                               " has no token at tempo " + std::to_string(tempo) +
                               "; written as the nearest, " + duration.token + " (" +
                               std::to_string(StoredDuration(duration.base, tempo)) + ")");
    if (i) melody.text += ' ';
    melody.text += note->name;
    melody.text += duration.token;
  }
  return melody;
}
