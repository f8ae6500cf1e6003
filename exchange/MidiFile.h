#pragma once
// Standard MIDI Files, written: format 1, the first track holding the tempo
// (and 4/4 time), then one track per part, each with its name, its program
// and its notes. Numbers are big-endian, as the format has them.
#include <cstdint>
#include <string>
#include <vector>

struct MidiNote {
  uint32_t start;   // in ticks from the beginning
  uint32_t length;  // in ticks; 0 is a note-on and its note-off at once
  uint8_t key;      // 0..127, 60 the middle C, 69 A 440 Hz
  uint8_t velocity;  // 1..127
};

struct MidiTrack {
  std::string name;
  uint8_t channel;  // 0..15
  uint8_t program;  // 0..127, the General MIDI sound less one
  std::vector<MidiNote> notes;  // in any order; they may overlap
};

struct MidiSong {
  uint16_t ticksPerQuarter;   // 1..32767
  uint32_t microsPerQuarter;  // 1..16777215
  std::vector<MidiTrack> tracks;
};

constexpr uint8_t kMidiSquareLead = 80;  // General MIDI 81, "Lead 1 (square)": the phone's own sound
constexpr uint8_t kMidiVelocity = 100;
constexpr uint32_t kMidiLargestTempo = 0xFFFFFF;
constexpr uint16_t kMidiLargestDivision = 0x7FFF;

// The file's bytes. At one tick the note-offs come before the note-ons, so
// that a note ending where the next one of the same key begins does not cut
// it short (a note of no length ends after it begins).
std::string MidiFileBytes(const MidiSong& song);
