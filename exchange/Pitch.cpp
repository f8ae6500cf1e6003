#include "exchange/Pitch.h"

#include <cmath>

namespace {

constexpr int kConcertA = 69;
constexpr double kConcertAHertz = 440.0;

const char* const kMelodyNames[kSemitonesPerOctave] = {"C",   "Cis", "D",   "Dis", "E",  "F",
                                                       "Fis", "G",   "Gis", "A",   "Ais", "H"};
const char* const kRtttlNames[kSemitonesPerOctave] = {"c",  "c#", "d",  "d#", "e",  "f",
                                                      "f#", "g",  "g#", "a",  "a#", "b"};

// Pitches below 0 still have a place in an octave.
int InOctave(int pitch) { return ((pitch % kSemitonesPerOctave) + kSemitonesPerOctave) % kSemitonesPerOctave; }
int OctaveOf(int pitch) { return (pitch - InOctave(pitch)) / kSemitonesPerOctave; }

}  // namespace

std::string MelodyNoteName(int pitch) {
  return kMelodyNames[InOctave(pitch)] + std::to_string(OctaveOf(pitch) - 4);
}

const char* RtttlLetters(int pitch) { return kRtttlNames[InOctave(pitch)]; }

int RtttlOctave(int pitch) { return OctaveOf(pitch) - 1; }

TonePitch PitchOfTone(uint16_t toneCode) {
  // A tone of 0 Hz has no pitch; it is taken as 1 Hz, far below any note.
  double semitones = kConcertA + kSemitonesPerOctave * std::log2((toneCode ? toneCode : 1) / kConcertAHertz);
  int pitch = static_cast<int>(std::lround(semitones));
  return {pitch, static_cast<int>(std::lround((semitones - pitch) * 100))};
}
