#include "melody/SlotReader.h"

#include <cstdio>
#include <cstring>

namespace {

std::string Hex4(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", value & 0xFFFF);
  return text;
}

bool TerminatorAt(const uint8_t* slot, int at) {
  return at + kSlotTerminatorSize <= kSlotSize && memcmp(slot + at, kSlotTerminator, kSlotTerminatorSize) == 0;
}

}  // namespace

SlotContents ReadSlot(const uint8_t* image, int k) {
  SlotContents contents;
  const uint8_t* slot = image + SlotOffset(k);
  if (slot[0] == kEmptySlotMark) return contents;
  const uint16_t header = GetU16(slot);
  if (header != SlotHeader(k)) {
    contents.state = SlotState::Malformed;
    contents.error = "its slot begins with " + Hex4(header) + " where a melody " + std::to_string(k + 1) +
                     " begins with " + Hex4(SlotHeader(k)) + " (or 0xFF when empty)";
    return contents;
  }
  int at = kSlotHeaderSize;
  while (!TerminatorAt(slot, at)) {
    if (at + kEventSize > kSlotSize) {
      contents.state = SlotState::Malformed;
      contents.error = "its slot has no end mark (FC FF 01) after " + std::to_string(contents.events.size()) +
                       " notes";
      contents.events.clear();
      return contents;
    }
    contents.events.push_back(GetEvent(slot + at));
    at += kEventSize;
  }
  contents.state = SlotState::Melody;
  return contents;
}
