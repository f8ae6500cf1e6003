#pragma once
// The program's one document: four melody texts, their tempos and the
// 2408-byte image of EEPROM block 5071 that the encoder fills.
#include <cstdint>

#include "melody/Encoder.h"
#include "melody/SlotFormat.h"

constexpr int kMelodyTextSize = 2048;  // with the NUL: at most 2047 characters
constexpr int kMaxMelodyTextLength = kMelodyTextSize - 1;
constexpr uint16_t kDefaultTempo = 128;

struct ProjectView;

class MelodySet {
 public:
  MelodySet();  // image cleared, texts empty, tempos 128

  void ClearBlockImage();
  void ResetMelodies();

  // Melody k's 2048-byte text buffer, writable; nullptr for k outside 0..3.
  char* MelodyText(int k);
  // Melody k's tempo word (stored in reverse melody order). For k outside
  // 0..3 a scratch word outside the set, so a stray index changes nothing.
  uint16_t& MelodyTempo(int k);
  // The texts and tempos of a project in place of the set's own; a text
  // longer than a melody holds keeps its first 2047 bytes. The image is
  // left alone.
  void TakeMelodies(const ProjectView& project);
  uint8_t* BlockImage() { return image_; }
  const uint8_t* BlockImage() const { return image_; }

  // Encodes melody k's text into its slot: 0 encoded, 1 text absent,
  // 2 text empty, -1 k out of range. A melody of more than 149 notes keeps
  // its first 149 and logs the cut, so nothing beyond its slot is written.
  // The observer, when given, hears of every placeholder event and of a cut.
  int DecodeToBuffer(int k, const char* text, EncodeObserver* observer = nullptr);
  // DecodeToBuffer for k = 0..3, each from its own buffer, as Save and Start do.
  void EncodeAll(EncodeObserver* observer = nullptr);

  // The files below are written under a temporary name and moved into
  // place only when complete; on failure the files at the path are as they
  // were and sys::LastError says why.

  // 1 when the project file is in place, 0 when it could not be written.
  int SaveProject(const char* path);
  // 1 when the file was a whole project (see melody/ProjectFormat.h, every
  // text at most 2047 bytes) and the texts and tempos are now its own; the
  // image is left alone. 0 when the file cannot be opened or read
  // (sys::LastError says why), -1 when it is not a whole project. On 0 and
  // -1 the set is unchanged.
  int LoadProject(const char* path);
  // The image as the block file at path and, when the path holds ".bin",
  // the description file at DescriptionPathFor(path) (melody/BlockExport.h).
  // 1 when both are in place. 0 otherwise, with both files as they were,
  // save one case: should the block file fail to move after the description
  // did, a description that was there before keeps the new text (the same
  // for every block), and one that was not is removed again.
  int ExportBlock(const char* path);

 private:
  char texts_[kMelodyCount][kMelodyTextSize];
  uint16_t tempos_[kMelodyCount];  // melody 4's first
  uint8_t image_[kBlockImageSize];
};

// The process-wide instance, constructed before anything else uses it.
MelodySet& Melodies();
