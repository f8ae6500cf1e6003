// Runs the MIDI reader and importer over MIDI files, each as import-midi
// reads it with no options, and prints one line per file for
// bench/midi-corpus.py to compare with what another reader makes of them:
//   file  refused  message
//   file  imported  track  channel  reason  runs  kept  events_in_all  events  asked_us  played_us
//         shift  moved_alone  notes  hidden  cut_short  too_short  pitches  notes_per_track  unnamed
// (channel -1 for the whole track; pitches: the pitch each kept note plays
// at, from its first event's tone, comma-separated; notes_per_track: what
// the reader paired in each track; unnamed: the track and channel chosen
// when no track has a name), and last "time  microseconds" for reading and
// importing them all.
#include <chrono>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "exchange/MidiImport.h"
#include "exchange/MidiReader.h"
#include "exchange/Pitch.h"

namespace {

const char* ReasonName(MidiChoiceReason reason) {
  switch (reason) {
    case MidiChoiceReason::kNamed: return "named";
    case MidiChoiceReason::kHighest: return "highest";
    case MidiChoiceReason::kGiven: break;
  }
  return "given";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: midi_import_bench FILE.mid...\n";
    return 2;
  }
  std::ostringstream out;
  std::chrono::steady_clock::duration spent{};
  for (int a = 1; a < argc; ++a) {
    std::ifstream in(argv[a], std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
      std::cerr << "midi_import_bench: cannot read " << argv[a] << "\n";
      return 1;
    }
    MidiFileContents contents;
    MidiImport import;
    std::string error;
    auto start = std::chrono::steady_clock::now();
    bool read = ReadMidiFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &contents, &error);
    MidiImportResult result = read ? ImportMidi(contents, MidiImportOptions{}, &import) : MidiImportResult::kNoNotes;
    spent += std::chrono::steady_clock::now() - start;
    if (!read || result != MidiImportResult::kImported) {
      out << argv[a] << "\trefused\t" << (read ? "nothing to import" : error) << "\n";
      continue;
    }
    const ImportedMelody& m = import.melody;
    out << argv[a] << "\timported\t" << import.choice.selection.track << "\t" << import.choice.selection.channel << "\t"
        << ReasonName(import.choice.reason) << "\t" << import.runs.size() << "\t" << import.runsKept << "\t"
        << import.eventsInAll << "\t" << m.events.size() << "\t" << m.fit.askedMicros << "\t" << m.fit.playedMicros
        << "\t" << m.octaves.shift << "\t" << m.octaves.movedAlone << "\t" << import.notes << "\t"
        << import.notesHidden << "\t" << import.notesCutShort << "\t" << import.notesTooShort << "\t";
    size_t event = 0;
    std::string pitches;
    for (size_t i = 0; i < import.runsKept; ++i) {
      if (!import.runs[i].pause && event < m.events.size())
        pitches += (pitches.empty() ? "" : ",") + std::to_string(PitchOfTone(m.events[event].toneCode).pitch);
      event += static_cast<size_t>(import.runs[i].events);
    }
    out << pitches << "\t";
    for (size_t t = 0; t < contents.tracks.size(); ++t) out << (t ? "," : "") << contents.tracks[t].notes.size();
    for (ReadTrack& track : contents.tracks) track.name.clear(), track.instrument.clear();
    MidiChoice unnamed;
    ChooseMelodyPart(contents, &unnamed);
    out << "\t" << unnamed.selection.track << "," << unnamed.selection.channel << "\n";
  }
  out << "time\t" << std::chrono::duration_cast<std::chrono::microseconds>(spent).count() << "\n";
  std::cout << out.str();
  return 0;
}
