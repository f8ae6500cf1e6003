// Random note text and tempo for a random melody: the encoder writes inside
// the melody's own slot only and ends it with a terminator within the slot,
// and the slot reader reads it back.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "melody/MelodySet.h"
#include "melody/SlotReader.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A folder where the log would be makes every log write fail at once, so
  // the warnings of a long run neither fill the disk nor slow the search.
  std::error_code ignored;
  std::filesystem::create_directory("Error.log", ignored);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  static MelodySet set;
  const int k = data[0] % kMelodyCount;
  set.MelodyTempo(k) = static_cast<uint16_t>(data[1] | (data[2] << 8));
  const std::string text(reinterpret_cast<const char*>(data + 3), size - 3);  // c_str() ends at a zero byte
  memset(set.BlockImage(), 0xAB, kBlockImageSize);

  const int result = set.DecodeToBuffer(k, text.c_str());
  const int start = kSlotSize * (3 - k);
  for (int i = 0; i < kBlockImageSize; ++i)
    if ((i < start || i >= start + kSlotSize) && set.BlockImage()[i] != 0xAB) abort();
  const uint8_t* slot = set.BlockImage() + start;
  if (result == 2) return 0;  // an empty text
  if (result != 0 || slot[0] != 0x14 + k || slot[1] != 0) abort();
  int events = 0;
  for (int at = 2; !(slot[at] == 0xFC && slot[at + 1] == 0xFF && slot[at + 2] == 0x01); at += 4, ++events)
    if (at + 4 > kSlotSize - 4) abort();  // the last terminator place is byte 598
  // The slot reader takes every slot the encoder writes, event for event.
  const SlotContents read = ReadSlot(set.BlockImage(), k);
  if (read.state != SlotState::Melody || static_cast<int>(read.events.size()) != events) abort();
  return 0;
}
