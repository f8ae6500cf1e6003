#pragma once
// The RTTTL ringtone format: "name:d=4,o=6,b=63:8e,8f#.,4p,2c.7". Blanks
// anywhere are ignored; settings absent from the header take d=4, o=6,
// b=63.
#include <string>
#include <vector>

struct RtttlNote {
  int duration;   // 1, 2, 4, 8, 16 or 32: a 1/duration note
  char letter;    // 'c', 'd', 'e', 'f', 'g', 'a', 'b' ('h' read as 'b'), 'p' a pause
  bool sharp;
  int octave;     // RTTTL's own numbering: the A of octave 4 is 440 Hz
  bool dotted;
  int line, column;  // where the note begins in the file, from 1
};

struct RtttlTune {
  std::string name;
  int defaultDuration = 4;
  int defaultOctave = 6;
  int beats = 63;  // quarter notes a minute
  std::vector<RtttlNote> notes;
};

// False with a message that names the line and column of the fault: no
// two colons, an unknown setting, an unknown note, a duration other than
// 1, 2, 4, 8, 16, 32, no notes at all.
bool ParseRtttl(const std::string& text, RtttlTune* tune, std::string* error);
