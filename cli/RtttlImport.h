#pragma once
// An RTTTL ringtone as a melody's note text and tempo.
#include <cstdint>
#include <string>
#include <vector>

#include "cli/Rtttl.h"

struct ImportedMelody {
  std::string text;
  uint16_t tempo = 0;
  int notes = 0;                     // notes in the text
  std::vector<std::string> notices;  // what could not be carried over exactly
};

// RTTTL octave o is octave o - 3 here (RTTTL's A4 and our A1 are both
// 440 Hz); notes outside octaves 1 to 8 are moved to the nearest one. A
// dotted note loses its dot. Past 149 notes the melody is cut, as the
// phone's slot holds no more.
ImportedMelody ConvertRtttl(const RtttlTune& tune);

// The tempo whose quarter note, in milliseconds as a melody is played,
// lies nearest to 60000 / beats: 256 / f for a whole factor f (the highest
// of the tempos that share that factor), or 512, 768, ... for the tempos
// that divide (of those with the same quarter note, the one whose whole
// note lies nearest to four times that).
uint16_t TempoForBeats(int beats);

// The length of a quarter note, (1/4), and of a whole one, (1/1), at a tempo.
uint16_t QuarterNoteMs(uint16_t tempo);
uint16_t WholeNoteMs(uint16_t tempo);
