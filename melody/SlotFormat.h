#pragma once
// How the 2408-byte image of EEPROM block 5071 holds the four melodies: four
// 602-byte slots in reverse melody order (melody 4's first). A slot is 0xFF
// for an empty melody; otherwise the header word 0x0014 + k, one 4-byte note
// event per note (tone code, duration; little-endian words) and the
// terminator FC FF 01. The encoder writes this layout and the slot reader
// reads it back.
#include <cstdint>

#include "melody/LittleEndian.h"

constexpr int kMelodyCount = 4;
constexpr int kSlotSize = 602;
constexpr int kBlockImageSize = kMelodyCount * kSlotSize;
static_assert(kBlockImageSize == 2408, "the phone's block 5071 is 2408 bytes");

constexpr uint8_t kEmptySlotMark = 0xFF;
constexpr int kSlotHeaderSize = 2;
constexpr uint16_t kFirstSlotHeader = 0x0014;  // melody 1's; each later melody's is one more
constexpr int kEventSize = 4;
constexpr uint8_t kSlotTerminator[] = {0xFC, 0xFF, 0x01};
constexpr int kSlotTerminatorSize = sizeof kSlotTerminator;
// Room for the header, 149 events and the terminator: 601 of the 602 bytes.
constexpr int kMaxEventsPerSlot = 149;
static_assert(kSlotHeaderSize + kMaxEventsPerSlot * kEventSize + kSlotTerminatorSize < kSlotSize,
              "a full melody never reaches the slot's last byte");

// Where melody k's slot begins in the image, and the header word it begins with.
constexpr int SlotOffset(int k) { return kSlotSize * (kMelodyCount - 1 - k); }
constexpr uint16_t SlotHeader(int k) { return static_cast<uint16_t>(kFirstSlotHeader + k); }

// One note as a slot stores it: the duration is the stored 16-bit value,
// already scaled by the melody's tempo.
struct NoteEvent {
  uint16_t toneCode;
  uint16_t duration;
};

inline void PutEvent(uint8_t* bytes, const NoteEvent& event) {
  PutU16(bytes, event.toneCode);
  PutU16(bytes + 2, event.duration);
}

inline NoteEvent GetEvent(const uint8_t* bytes) { return {GetU16(bytes), GetU16(bytes + 2)}; }
