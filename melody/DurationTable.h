#pragma once
// The duration tokens the encoder knows, "(1/1)" to "(1/512)", their base
// durations and how a tempo scales them; how a token is read from note
// text; and the way back from a stored duration to a token.
#include <cstdint>

struct DurationRow {
  const char* token;
  uint16_t base;
};

constexpr int kDurationRowCount = 10;
constexpr int kDurationTokenMax = 10;         // characters a duration token keeps
constexpr uint16_t kLongestDuration = 0xFFFF;  // what a note event holds at most

// The rows in search order, "(1/512)" first.
const DurationRow* DurationTable();

// The first row whose token equals token with ASCII letters compared
// without case, as the encoder finds it; nullptr when none.
const DurationRow* FindDuration(const char* token);

// Reads the duration token that begins with the "(" at position from of a
// text of length characters: up to and including ")", spaces left out, at
// most 10 characters, never past the end. Returns the position after the
// last character looked at; the encoder passes over the character there.
int ReadDurationToken(const char* text, int length, int from, char (&token)[kDurationTokenMax + 1]);

// The event duration for a base duration at a tempo, before it is stored in
// 16 bits: tempo 0 counts as 1; up to 256 it multiplies by 256 div tempo,
// above it divides by tempo div 256.
uint32_t ScaledDuration(uint16_t base, uint16_t tempo);
// The duration as a note event stores it: a scaled duration that a word
// cannot hold is the longest note, 65535.
uint16_t StoredDuration(uint16_t base, uint16_t tempo);

// The row whose stored duration at this tempo is nearest to duration
// (first in table order on a tie); exact tells whether it is equal.
const DurationRow& NearestDuration(uint16_t duration, uint16_t tempo, bool* exact);
