#pragma once
// Reading a melody's durations back as note values: the beat (quarter notes
// a minute) at which the durations, in milliseconds as "quavrel render"
// plays them, lie nearest to whole, half, ... 1/64 notes. The way out to
// RTTTL and MIDI; the way in is exchange/TempoFit.h.
#include <cstdint>
#include <vector>

constexpr int kLongestNoteValue = 1;    // a whole note
constexpr int kShortestNoteValue = 64;  // 1/64

// Beats from 1 to 65535 worth trying, best first: the durations' distances
// to their nearest note values added up, each counted positive; of equal
// ones the beat nearer to 120, then the slower. Empty when no duration is
// above 0.
std::vector<int> BeatsByFit(const std::vector<uint16_t>& durations);

// The note value n (1/n of a whole note, 1 to 64) nearest to a duration at
// a beat; the longer one of two as near.
int NearestNoteValue(uint16_t duration, int beats);

// The length of 1/n note at a beat, in microseconds.
int64_t NoteValueMicros(int n, int beats);
