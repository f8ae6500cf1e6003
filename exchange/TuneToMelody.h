#pragma once
// A tune read from any format (RTTTL, MIDI) as a melody's note
// text, tempo and events: the steps every importer shares. The importer
// reads its format into notes of a pitch and a note value and tells the user
// what the result below means in its own terms.
#include <cstdint>
#include <string>
#include <vector>

#include "exchange/OctaveShift.h"
#include "exchange/TempoFit.h"
#include "melody/SlotFormat.h"

struct TuneNote {
  bool pause;
  int pitch;        // exchange/Pitch.h; anything for a pause
  NoteValue value;  // a denominator of 1 to 256 when dotted, to 512 otherwise
  int64_t askedMicros = 0;  // what the note lasts in a recording; 0: its value's length at the whole note
};

struct ImportedMelody {
  std::string text;
  uint16_t tempo = 0;
  int notes = 0;                     // the tune's notes kept
  std::vector<NoteEvent> events;     // what the text encodes to: one per note, two per dotted note
  TempoFit fit;                      // how near the kept notes come to what the tune asks
  OctavePlan octaves;                // how the kept notes that are not pauses were moved
  std::vector<std::string> notices;  // what could not be carried over as written (the importer's)
};

// The notes as far as they fit the phone's slot whole (a dotted note takes
// two events), moved by octaves into the melody's (whole tune first, single
// notes only when no shift fits them all), the tempo and tokens fitted to a
// whole note of wholeNoteMicros (or to the lengths the notes ask for), a
// dotted note written as the note and its half. Leaves the notices to the
// importer.
ImportedMelody TuneToMelody(const std::vector<TuneNote>& notes, int64_t wholeNoteMicros);
