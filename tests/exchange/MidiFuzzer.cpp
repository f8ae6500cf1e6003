// Any bytes as a MIDI file: the reader takes them or says why not, never
// more; what it takes, every track summed up and its melody imported, gives
// at most 149 events that all sound, each run's events of one tone, a note
// at its key (moved by whole octaves) within 5 cents of equal temperament.
#include <cstdlib>
#include <string>

#include "exchange/MidiImport.h"
#include "exchange/MidiReader.h"
#include "exchange/Pitch.h"
#include "melody/NoteTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MidiFileContents contents;
  std::string error;
  if (!ReadMidiFile(data, size, &contents, &error)) {
    if (error.empty()) abort();
    return 0;
  }
  const uint32_t tolerance = ToleranceTicks(contents);
  for (const ReadTrack& track : contents.tracks) {
    for (const ReadNote& note : track.notes)
      if (note.endTick < note.startTick || note.channel >= kMidiChannels || note.key > 127) abort();
    if (tolerance == 0 || static_cast<size_t>(SummarizeTrack(track, tolerance).notes) != track.notes.size()) abort();
  }

  MidiImport import;
  if (ImportMidi(contents, {{}, size ? data[size - 1] % 25 - 12 : 0}, &import) != MidiImportResult::kImported) return 0;
  const std::vector<NoteEvent>& events = import.melody.events;
  if (events.empty() || events.size() > static_cast<size_t>(kMaxEventsPerSlot)) abort();
  if (import.runsKept == 0 || import.runsKept > import.runs.size()) abort();
  if (import.runs.front().pause || import.runs[import.runsKept - 1].pause) abort();
  size_t event = 0;
  for (size_t i = 0; i < import.runsKept; ++i) {
    const MidiRun& run = import.runs[i];
    if (run.endMicros < run.startMicros || (i && run.startMicros < import.runs[i - 1].startMicros)) abort();
    for (int64_t part = 0; part < run.events; ++part, ++event) {
      const NoteEvent& e = events.at(event);
      const TonePitch pitch = PitchOfTone(e.toneCode);
      if (e.duration == 0 || e.toneCode != events.at(event - part).toneCode) abort();
      if (run.pause ? e.toneCode != kPauseToneCode
                    : std::abs(pitch.cents) > 5 || (pitch.pitch - run.pitch) % kSemitonesPerOctave)
        abort();
    }
  }
  if (event != events.size()) abort();
  return 0;
}
