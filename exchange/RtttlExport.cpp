#include "exchange/RtttlExport.h"

#include <cstdlib>
#include <map>

#include "exchange/BeatFit.h"
#include "exchange/OctaveShift.h"
#include "exchange/Pitch.h"
#include "exchange/RtttlImport.h"
#include "base/Wording.h"
#include "melody/NoteTable.h"

namespace {

constexpr int kLowestRtttlPitch = 12;    // c0
constexpr int kHighestRtttlPitch = 131;  // b9
constexpr size_t kBeatsTried = 48;       // the best-fitting beats, of which the first that comes back whole wins
constexpr int kEventsListed = 5;

// An RTTTL note before it is written: its pitch (-1 for a pause), value and dot.
struct Written {
  int pitch;
  int value;
  bool dotted;
};

std::string Name(const std::string& name) {
  std::string kept;
  for (char c : name)
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) kept += c == ':' ? ' ' : c;
  size_t first = kept.find_first_not_of(' '), last = kept.find_last_not_of(' ');
  return first == std::string::npos ? "melody" : kept.substr(first, last - first + 1);
}

template <typename T>
T MostCommon(const std::map<T, int>& counts, T otherwise) {
  T best = otherwise;
  int bestCount = 0;
  for (const auto& count : counts)
    if (count.second > bestCount) best = count.first, bestCount = count.second;
  return best;
}

std::string Text(const std::string& name, const std::vector<Written>& notes, int beats) {
  std::map<int, int> values, octaves;
  for (const Written& note : notes) {
    values[note.value]++;
    if (note.pitch >= 0) octaves[RtttlOctave(note.pitch)]++;
  }
  int d = MostCommon(values, 4), o = MostCommon(octaves, 5);
  std::string text = name + ":d=" + std::to_string(d) + ",o=" + std::to_string(o) + ",b=" + std::to_string(beats) + ":";
  for (size_t i = 0; i < notes.size(); ++i) {
    const Written& note = notes[i];
    if (i) text += ',';
    if (note.value != d) text += std::to_string(note.value);
    text += note.pitch < 0 ? "p" : RtttlLetters(note.pitch);
    if (note.pitch >= 0 && RtttlOctave(note.pitch) != o) text += std::to_string(RtttlOctave(note.pitch));
    if (note.dotted) text += '.';
  }
  return text + "\n";
}

// The notes for the events at a beat; with merge, an event followed by one
// of the same pitch and half its value becomes one dotted note.
std::vector<Written> NotesAt(const std::vector<int>& pitches, const std::vector<NoteEvent>& events, int beats, bool merge) {
  std::vector<Written> notes;
  for (size_t i = 0; i < events.size(); ++i) {
    Written note = {pitches[i], NearestNoteValue(events[i].duration, beats), false};
    if (merge && i + 1 < events.size() && pitches[i + 1] == note.pitch && note.value < kShortestNoteValue &&
        NearestNoteValue(events[i + 1].duration, beats) == 2 * note.value) {
      note.dotted = true;
      ++i;
    }
    notes.push_back(note);
  }
  return notes;
}

// The durations "quavrel import-rtttl" gives back for the notes at a beat:
// the ringtone as the reader would take it from the text, without the text.
std::vector<uint16_t> DurationsBack(const std::vector<Written>& notes, int beats) {
  RtttlTune tune;
  tune.beats = beats;
  for (const Written& note : notes) {
    bool pause = note.pitch < 0;
    const char* letters = pause ? "p" : RtttlLetters(note.pitch);
    tune.notes.push_back({note.value, letters[0], letters[1] == '#', pause ? 0 : RtttlOctave(note.pitch), note.dotted,
                          "", 1, 1});
  }
  std::vector<uint16_t> durations;
  for (const NoteEvent& event : ConvertRtttl(tune).events) durations.push_back(event.duration);
  return durations;
}

int Matching(const std::vector<uint16_t>& back, const std::vector<NoteEvent>& events) {
  if (back.size() != events.size()) return -1;
  int same = 0;
  for (size_t i = 0; i < back.size(); ++i) same += back[i] == events[i].duration;
  return same;
}

std::string Listed(const std::vector<int>& numbers) {
  std::string text;
  for (size_t i = 0; i < numbers.size() && i < static_cast<size_t>(kEventsListed); ++i)
    text += (i ? ", " : "") + std::to_string(numbers[i]);
  if (numbers.size() > static_cast<size_t>(kEventsListed)) text += " and " + std::to_string(numbers.size() - kEventsListed) + " more";
  return text;
}

// The pitch of each event (-1 for a pause), tones that no note has reported.
std::vector<int> Pitches(const std::vector<NoteEvent>& events, ExportedRtttl* exported) {
  std::vector<int> pitches;
  std::map<uint16_t, std::vector<int>> unnamed;
  for (size_t i = 0; i < events.size(); ++i) {
    uint16_t tone = events[i].toneCode;
    if (tone == kPauseToneCode) {
      pitches.push_back(-1);
      continue;
    }
    int pitch = PitchOfTone(tone).pitch;
    pitches.push_back(pitch);
    bool named = pitch >= kLowestMelodyPitch && pitch <= kHighestMelodyPitch &&
                 FindNote(MelodyNoteName(pitch).c_str())->toneCode == tone;
    if (!named) unnamed[tone].push_back(static_cast<int>(i) + 1);
  }
  for (const auto& tone : unnamed) {
    TonePitch nearest = PitchOfTone(tone.first);
    exported->notices.push_back("tone " + std::to_string(tone.first) + " (" +
                                (tone.second.size() == 1 ? "event " : "events ") + Listed(tone.second) +
                                ") is no RTTTL note's; written as the nearest, " + RtttlLetters(nearest.pitch) +
                                std::to_string(RtttlOctave(nearest.pitch)) + ", " + std::to_string(nearest.cents) +
                                " cents from it");
  }
  return pitches;
}

void MoveIntoDigits(std::vector<int>* pitches, ExportedRtttl* exported) {
  std::vector<int> sounding;
  for (int pitch : *pitches)
    if (pitch >= 0) sounding.push_back(pitch);
  OctavePlan plan = PlanOctaves(sounding, kLowestRtttlPitch, kHighestRtttlPitch);
  for (size_t i = 0, s = 0; i < pitches->size(); ++i)
    if ((*pitches)[i] >= 0) (*pitches)[i] += plan.moves[s++] * kSemitonesPerOctave;
  if (plan.shift)
    exported->notices.push_back("RTTTL writes octaves 0 to 9 (the melody's octaves up to 6): the whole melody is moved " +
                                std::string(plan.shift > 0 ? "up " : "down ") + Counted(std::abs(plan.shift), "octave"));
  if (plan.movedAlone)
    exported->notices.push_back(Counted(plan.movedAlone, "note") + " beyond RTTTL's octaves 0 to 9 " +
                                (plan.movedAlone == 1 ? "moves" : "move") + " to the nearest octave within them");
}

void ReportDurations(const std::vector<NoteEvent>& events, const std::vector<uint16_t>& back, int beats,
                     ExportedRtttl* exported) {
  std::map<std::pair<uint16_t, uint16_t>, std::vector<int>> changed;
  for (size_t i = 0; i < events.size(); ++i)
    if (i < back.size() && back[i] != events[i].duration) changed[{events[i].duration, back[i]}].push_back(static_cast<int>(i) + 1);
  for (const auto& change : changed)
    exported->notices.push_back("duration " + std::to_string(change.first.first) + " (" +
                                (change.second.size() == 1 ? "event " : "events ") + Listed(change.second) +
                                ") has no RTTTL note value of its own at b=" + std::to_string(beats) +
                                "; written as 1/" + std::to_string(NearestNoteValue(change.first.first, beats)) +
                                ", which comes back as " + std::to_string(change.first.second));
}

}  // namespace

ExportedRtttl EventsToRtttl(const std::vector<NoteEvent>& events, const std::string& name) {
  ExportedRtttl exported;
  std::vector<int> pitches = Pitches(events, &exported);
  MoveIntoDigits(&pitches, &exported);
  const std::string shownName = Name(name);

  std::vector<uint16_t> durations;
  for (const NoteEvent& event : events) durations.push_back(event.duration);
  std::vector<int> beats = BeatsByFit(durations);
  if (beats.empty()) beats.push_back(120);  // nothing lasts: any beat says that as badly
  int bestMatching = -2;
  std::vector<uint16_t> bestBack;
  for (size_t i = 0; i < beats.size() && i < kBeatsTried && bestMatching < static_cast<int>(events.size()); ++i) {
    std::vector<Written> merged = NotesAt(pitches, events, beats[i], true);
    for (bool merge : {true, false}) {
      if (!merge && merged.size() == events.size()) break;  // nothing was merged: the same notes again
      std::vector<Written> notes = merge ? merged : NotesAt(pitches, events, beats[i], false);
      std::vector<uint16_t> back = DurationsBack(notes, beats[i]);
      int matching = Matching(back, events);
      if (matching <= bestMatching) continue;
      bestMatching = matching;
      bestBack = back;
      exported.text = Text(shownName, notes, beats[i]);
      exported.beats = beats[i];
      if (matching == static_cast<int>(events.size())) break;
    }
  }
  ReportDurations(events, bestBack, exported.beats, &exported);
  return exported;
}
