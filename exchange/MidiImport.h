#pragma once
// A part of a Standard MIDI File as a melody's note text and tempo: one
// tone at a time (exchange/TopVoice.h), the lengths in real time (tempo
// changes followed) read as note values, and the tempo and tokens fitted to
// those lengths as exchange/TuneToMelody.h does for every importer. The
// command words what the result says.
#include <cstdint>
#include <vector>

#include "exchange/MidiParts.h"
#include "exchange/MidiReader.h"
#include "exchange/TuneToMelody.h"

struct MidiImportOptions {
  MidiSelection selection;  // nothing given: the part that carries the melody (ChooseMelodyPart)
  int transpose = 0;        // semitones, before the octaves are fitted
  int64_t fromMicros = 0;   // notes that begin earlier in the file are left out
};

// A note or pause of the part as the melody has it.
struct MidiRun {
  int64_t startMicros, endMicros;  // in the file
  bool pause;
  int pitch;       // the key moved by the transposition
  int64_t events;  // what it takes: more than one when no single token fits it
};

struct MidiImport {
  MidiChoice choice;
  uint32_t toleranceTicks = 0;
  std::vector<MidiRun> runs;   // the part's notes and pauses from the first note at fromMicros on
  size_t runsKept = 0;         // those that fit the phone's 149 events, trailing pauses left out
  int64_t eventsInAll = 0;     // what every run would take
  ImportedMelody melody;       // of the kept runs; its notices empty

  // The part's notes that begin where the kept runs lie, and what the top
  // voice made of them.
  int notes = 0;
  int notesHidden = 0;    // under a higher note all the time they sound
  int notesCutShort = 0;  // heard for part of their length only
  int notesTooShort = 0;  // no longer than the tolerance: absorbed by what sounds before them
  int mostAtOnce = 0;
  int lowestVelocity = 0, highestVelocity = 0;  // of the notes heard
  int lowestPitch = 0, highestPitch = 0;        // of the kept runs, before the octaves are fitted
};

enum class MidiImportResult {
  kImported,
  kNoNotes,      // the selection (or the file, off the drums) has no notes
  kNothingFrom,  // no note begins at or after fromMicros
};

MidiImportResult ImportMidi(const MidiFileContents& contents, const MidiImportOptions& options, MidiImport* import);
