// Random note text, tempo and melody index: the encoder must write inside
// the melody's own slot only, always end it with a terminator, and tell the
// observer only of positions inside the text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "melody/MelodySet.h"

namespace {

class CheckingObserver : public EncodeObserver {
 public:
  explicit CheckingObserver(const std::string& text) : text_(text) {}
  void OnPlaceholder(int, const char* noteToken, const char* durationToken, int notePosition,
                     int durationPosition) override {
    const int length = static_cast<int>(text_.size());
    if (strlen(noteToken) > 20 || strlen(durationToken) > 10 || durationToken[0] != '(') abort();
    if (durationPosition < 0 || durationPosition >= length || text_[durationPosition] != '(') abort();
    if (notePosition >= durationPosition || notePosition < -1) abort();
    if ((notePosition == -1) != (noteToken[0] == '\0')) abort();
  }
  void OnTruncated(int, int keptEvents, int droppedFromPosition) override {
    if (keptEvents != kMaxEventsPerSlot) abort();
    if (droppedFromPosition < 0 || droppedFromPosition >= static_cast<int>(text_.size())) abort();
  }

 private:
  const std::string& text_;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A folder in the log's place makes every log write fail at once, so the
  // warnings of millions of runs neither fill the disk nor slow the search.
  std::error_code ignored;
  std::filesystem::create_directory("Error.log", ignored);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const int k = data[0] % 6 - 1;  // -1 and 4 as well
  const uint16_t tempo = static_cast<uint16_t>(data[1] | (data[2] << 8));
  const std::string text(reinterpret_cast<const char*>(data + 3), size - 3);
  const std::string cText = text.c_str();  // what the encoder sees: up to a NUL

  static MelodySet set;
  for (int i = 0; i < kBlockImageSize; ++i) set.BlockImage()[i] = static_cast<uint8_t>(i * 7 + size);
  uint8_t before[kBlockImageSize];
  memcpy(before, set.BlockImage(), sizeof before);
  set.MelodyTempo(k) = tempo;

  CheckingObserver observer(cText);
  const int result = set.DecodeToBuffer(k, cText.c_str(), &observer);

  if (k < 0 || k > 3) {
    if (result != -1 || memcmp(before, set.BlockImage(), sizeof before) != 0) abort();
    return 0;
  }
  const int slotStart = kSlotSize * (3 - k);
  if (memcmp(before, set.BlockImage(), slotStart) != 0) abort();
  if (memcmp(before + slotStart + kSlotSize, set.BlockImage() + slotStart + kSlotSize,
             kBlockImageSize - slotStart - kSlotSize) != 0)
    abort();
  const uint8_t* slot = set.BlockImage() + slotStart;
  if (cText.empty()) {
    if (result != 2 || slot[0] != 0xFF || memcmp(before + slotStart + 1, slot + 1, kSlotSize - 1) != 0)
      abort();
    return 0;
  }
  if (result != 0 || slot[0] != 0x14 + k || slot[1] != 0) abort();
  for (int at = 2;; at += 4) {
    if (at + 3 > kSlotSize - 1) abort();  // no terminator where a full slot has it
    if (slot[at] == 0xFC && slot[at + 1] == 0xFF && slot[at + 2] == 0x01) break;
  }
  if (tempo == 0 && set.MelodyTempo(k) > 1) abort();
  return 0;
}
