#pragma once
// The RTTTL ringtone format, read as the common players read it:
// "name:d=4,o=6,b=63:8e,8f#.,4p,2c.7". Blanks and line breaks anywhere are
// ignored, letters may be upper or lower case; settings absent from the
// header take d=4, o=6, b=63.
#include <string>
#include <vector>

struct RtttlNote {
  int duration;   // 1, 2, 4, 8, 16, 32 or 64: a 1/duration note
  char letter;    // 'c', 'd', 'e', 'f', 'g', 'a', 'b' ('h' read as 'b'), 'p' a pause
  bool sharp;     // '#', or '_' as many files write it
  int octave;     // RTTTL's own numbering, 0 to 9: the A of octave 4 is 440 Hz
  bool dotted;    // the dot may stand before or after the octave
  std::string written;  // the note as written, blanks left out: "8e#.5"
  int line, column;     // where the note begins in the file, from 1
};

struct RtttlTune {
  std::string name;
  int defaultDuration = 4;
  int defaultOctave = 6;
  int beats = 63;  // quarter notes a minute
  std::vector<RtttlNote> notes;
  std::vector<std::string> notices;  // settings read and ignored: l= (loops), s= (style)
};

// False with a message that names the line and column of the fault and
// what was expected there: no two colons, an unknown setting, an unknown
// note, a duration other than 1, 2, 4, 8, 16, 32 or 64, an octave of more
// than one digit, a character out of place, no notes at all.
bool ParseRtttl(const std::string& text, RtttlTune* tune, std::string* error);

// The note's pitch (exchange/Pitch.h): e# is F and b# the C of the next
// octave, as they sound. Not for a pause.
int RtttlPitch(const RtttlNote& note);
