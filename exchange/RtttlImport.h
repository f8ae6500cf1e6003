#pragma once
// An RTTTL ringtone as a melody's note text and tempo.
#include <cstdint>
#include <string>
#include <vector>

#include "exchange/OctaveShift.h"
#include "exchange/Rtttl.h"
#include "exchange/TempoFit.h"
#include "melody/SlotFormat.h"

struct ImportedMelody {
  std::string text;
  uint16_t tempo = 0;
  int notes = 0;                     // the ringtone's notes kept
  std::vector<NoteEvent> events;     // what the text encodes to: one per note, two per dotted note
  TempoFit fit;                      // how near the kept notes come to what the ringtone asks
  OctavePlan octaves;                // how the kept notes that are not pauses were moved
  std::vector<std::string> notices;  // what could not be carried over as written
};

// Each note at its pitch (RTTTL's octave o is the melody's o - 3); when
// notes fall outside the melody's octaves 1 to 8, the whole tune moves by
// the octaves that fit the most, and single notes only when no shift fits
// them all (exchange/OctaveShift.h). The tempo and the note values' tokens
// are fitted together (exchange/TempoFit.h); a dotted note becomes the note
// and its half, two events of its tone. Past 149 events the melody is cut
// before the first note that does not fit whole, as the phone's slot holds
// no more.
ImportedMelody ConvertRtttl(const RtttlTune& tune);

// RTTTL's whole note (four beats) at b beats a minute, in microseconds.
int64_t RtttlWholeNoteMicros(int beats);
