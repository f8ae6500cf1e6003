#include "melody/MelodySet.h"

#include <cstring>

MelodySet::MelodySet() {
  ClearBlockImage();
  ResetMelodies();
}

void MelodySet::ClearBlockImage() { memset(image_, 0, sizeof image_); }

void MelodySet::ResetMelodies() {
  memset(texts_, 0, sizeof texts_);
  for (uint16_t& tempo : tempos_) tempo = kDefaultTempo;
}

char* MelodySet::MelodyText(int k) {
  if (k < 0 || k >= kMelodyCount) return nullptr;
  return texts_[k];
}

uint16_t& MelodySet::MelodyTempo(int k) {
  if (k < 0 || k >= kMelodyCount) {
    thread_local uint16_t stray;
    stray = kDefaultTempo;
    return stray;
  }
  return tempos_[kMelodyCount - 1 - k];
}

void MelodySet::EncodeAll(EncodeObserver* observer) {
  for (int k = 0; k < kMelodyCount; ++k) DecodeToBuffer(k, texts_[k], observer);
}

MelodySet& Melodies() {
  static MelodySet melodies;
  return melodies;
}
