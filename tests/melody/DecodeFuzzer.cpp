// Random note text, tempo and melody index: the encoder writes inside the
// melody's own slot only, always ends it with a terminator within the slot,
// and tells the observer only of places inside the text.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "melody/MelodySet.h"

namespace {

class CheckingObserver : public EncodeObserver {
 public:
  explicit CheckingObserver(const std::string& text) : text_(text) {}
  void OnPlaceholder(int, const char* note, const char* duration, int notePosition,
                     int durationPosition) override {
    if (strlen(note) > 20 || strlen(duration) > 10 || text_.at(durationPosition) != '(') abort();
    if (notePosition < -1 || notePosition >= durationPosition || (notePosition < 0) != (*note == 0)) abort();
  }
  void OnTruncated(int, int kept, int from) override {
    if (kept != kMaxEventsPerSlot || from < 0 || from >= static_cast<int>(text_.size())) abort();
  }

 private:
  const std::string& text_;
};

}  // namespace

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
  const int k = data[0] % 6 - 1;  // -1 and 4 too
  set.MelodyTempo(k) = static_cast<uint16_t>(data[1] | (data[2] << 8));
  const std::string text(reinterpret_cast<const char*>(data + 3), strnlen(reinterpret_cast<const char*>(data + 3), size - 3));
  for (int i = 0; i < kBlockImageSize; ++i) set.BlockImage()[i] = static_cast<uint8_t>(i * 7 + size);
  uint8_t before[kBlockImageSize];
  memcpy(before, set.BlockImage(), sizeof before);

  CheckingObserver observer(text);
  const int result = set.DecodeToBuffer(k, text.c_str(), &observer);
  if (k < 0 || k > 3) {
    if (result != -1 || memcmp(before, set.BlockImage(), sizeof before) != 0) abort();
    return 0;
  }
  const int start = kSlotSize * (3 - k), end = start + kSlotSize;
  if (memcmp(before, set.BlockImage(), start) != 0 ||
      memcmp(before + end, set.BlockImage() + end, kBlockImageSize - end) != 0)
    abort();
  const uint8_t* slot = set.BlockImage() + start;
  if (text.empty()) {
    if (result != 2 || slot[0] != 0xFF || memcmp(before + start + 1, slot + 1, kSlotSize - 1) != 0) abort();
    return 0;
  }
  if (result != 0 || slot[0] != 0x14 + k || slot[1] != 0) abort();
  for (int at = 2; !(slot[at] == 0xFC && slot[at + 1] == 0xFF && slot[at + 2] == 0x01); at += 4)
    if (at + 4 > kSlotSize - 4) abort();  // the last terminator place is byte 598
  return 0;
}
