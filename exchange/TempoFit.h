#pragma once
// Choosing a melody's tempo and the tokens of a tune's note values together,
// so that the notes last as near as can be what the tune asks for. A tune
// from another format gives its note values (1/4, a dotted 1/8, ...) and the
// length of its whole note; each value is written as the token of the same
// value shifted by a number of halvings the fit chooses ((1/4) may become
// (1/8) or (1/16) at another tempo), a dotted value as that token followed
// by the token of its half: two events of the same tone that together last
// the dotted note's length.
#include <cstdint>
#include <vector>

#include "melody/DurationTable.h"

struct NoteValue {
  int denominator;  // 1/denominator of a whole note: 1, 2, 4, ... 512
  bool dotted;      // and half of that again
};

struct NoteValueCount {
  NoteValue value;
  int count;
  int64_t askedMicros = 0;  // what one such note lasts in a recording; 0: its value's length at the whole note
};

struct TempoFit {
  uint16_t tempo = 0;
  int shift = 0;               // the value 1/n is written as the token (1/(n * 2^shift))
  int64_t askedMicros = 0;     // the notes' lengths as the tune asks for them, added up
  int64_t playedMicros = 0;    // as the phone plays them at this tempo
  int64_t offMicros = 0;       // each note's difference, counted positive, added up
};

// The tempo and shift whose tokens put the notes nearest to what they ask
// for (their values at wholeNoteMicros, or the lengths a recording gives
// them), the differences of all notes added up; a token that comes out as 0
// at a tempo (and would become a placeholder) rules that tempo out. Every
// value must have a token at some shift: a denominator from 1 to 512, at
// most 256 when dotted. Of equal fits the smaller shift wins, then the tempo
// that scales least (x1, x2, ... x256, then /2, /3, ... /255).
TempoFit FitTempo(const std::vector<NoteValueCount>& values, int64_t wholeNoteMicros);

// The tokens the value is written as under the fit: one, or two for a
// dotted value (the value, then its half). Returns how many.
int TokensFor(const NoteValue& value, const TempoFit& fit, const DurationRow* tokens[2]);

// The (1/n) token for n = 1, 2, 4, ... 512; nullptr for any other n.
const DurationRow* TokenForDenominator(int n);
