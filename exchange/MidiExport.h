#pragma once
// Melodies' note events as a Standard MIDI File, one track per melody.
#include <string>
#include <vector>

#include "melody/SlotFormat.h"

struct MidiExportMelody {
  int number;  // 1..4: the track is named "Melody N" and plays on channel N - 1
  std::vector<NoteEvent> events;
};

struct ExportedMidi {
  std::string bytes;
  int quarterMs = 0;                 // the beat the file's tempo gives
  std::vector<std::string> notices;  // "melody N: ..." for what MIDI cannot say as the phone plays it
};

// One tick is one millisecond, so every event lasts what "quavrel render"
// plays it for; the ticks of a quarter note (and with them the tempo) are
// the beat at which the first melody's durations read best as note values
// (exchange/BeatFit.h). Each tone is a note at its nearest pitch (a tone
// more than 10 cents from it is reported); pauses are rests. A melody
// reaching beyond MIDI's keys 0 to 127 moves by octaves as
// exchange/OctaveShift.h does (reported).
ExportedMidi MelodiesToMidi(const std::vector<MidiExportMelody>& melodies);
