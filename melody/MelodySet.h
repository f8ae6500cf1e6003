#pragma once
// The program's one document: four melody texts, their tempos and the
// 2408-byte image of EEPROM block 5071 that the encoder fills.
#include <cstdint>

#include "melody/Encoder.h"

constexpr int kMelodyCount = 4;
constexpr int kMelodyTextSize = 2048;  // with the NUL: at most 2047 characters
constexpr int kBlockImageSize = 2408;
constexpr int kSlotSize = 602;
constexpr uint16_t kDefaultTempo = 128;

class MelodySet {
 public:
  MelodySet();  // image cleared, texts empty, tempos 128

  void ClearBlockImage();
  void ResetMelodies();

  // Melody k's 2048-byte text buffer, writable; nullptr for k outside 0..3.
  char* MelodyText(int k);
  // Melody k's tempo word (stored in reverse melody order); k must be 0..3.
  uint16_t& MelodyTempo(int k);
  uint8_t* BlockImage() { return image_; }
  const uint8_t* BlockImage() const { return image_; }

  // Encodes melody k's text into its slot: 0 encoded, 1 text absent,
  // 2 text empty, -1 k out of range. The observer, when given, hears of
  // every placeholder event and of a melody cut to fit its slot.
  int DecodeToBuffer(int k, const char* text, EncodeObserver* observer = nullptr);
  // DecodeToBuffer for k = 0..3, each from its own buffer, as Save and Start do.
  void EncodeAll(EncodeObserver* observer = nullptr);

  int SaveProject(const char* path);  // 1 written, 0 cannot be created
  int LoadProject(const char* path);  // 1 opened (whatever it held), 0 not
  void ExportBlock(const char* path);

 private:
  char texts_[kMelodyCount][kMelodyTextSize];
  uint16_t tempos_[kMelodyCount];  // melody 4's first
  uint8_t image_[kBlockImageSize];
};

// The process-wide instance, constructed before anything else uses it.
MelodySet& Melodies();
