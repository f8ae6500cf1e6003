#pragma once
// Bringing a tune's pitches into a range by whole octaves while keeping its
// shape: the whole tune moves by the one shift that puts the most notes in
// range, and only when no shift fits them all does each note still outside
// move by itself, to the nearest octave inside. Used for RTTTL and MIDI,
// both ways.
#include <vector>

struct OctavePlan {
  int shift = 0;           // octaves the whole tune moves, up when positive
  std::vector<int> moves;  // for each pitch, the octaves it moves in all (the shift included)
  int movedAlone = 0;      // pitches that move by more or less than the shift
};

// Pitches in semitones (as exchange/Pitch.h); the range [lowest, highest]
// must span at least an octave. Among shifts that fit as many notes, the
// smallest wins, then the one whose remaining notes move least by
// themselves, then the lower one.
OctavePlan PlanOctaves(const std::vector<int>& pitches, int lowest, int highest);
