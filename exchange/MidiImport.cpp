#include "exchange/MidiImport.h"

#include <algorithm>
#include <cstdlib>

#include "melody/SlotFormat.h"

namespace {

constexpr int kShortestToken = 512;      // (1/512): a dotted value's half must have a token too
constexpr int64_t kUnitsPerWhole = 1024;  // lengths compared in 1/1024 microseconds times the denominator
constexpr int64_t kUsualWholeMicros = 2000000;  // four quarter notes at 120 a minute
constexpr int kLongestReadingValue = 64;      // a length read as a 1/64 at most gives a whole note to try
// A run longer than this (over an hour) is taken as this long; no file a
// player plays comes near it, and the sums below stay far from overflowing.
constexpr int64_t kLongestRunMicros = int64_t{1} << 32;
// What is left of a note held past a dotted whole note, when it is shorter
// than a 32nd, stays with the last whole note instead of taking an event.
constexpr int64_t kShortestRemainder = 32;
// An event beyond one a run is worth a tenth of a run's average length.
constexpr int64_t kEventWorth = 10;
// A reading that takes more events a run than this is not worth weighing;
// it keeps the sums in range.
constexpr int64_t kMostEventsARun = 64;

int EventsOf(const NoteValue& value) { return value.dotted ? 2 : 1; }

// The note value nearest to a length at a whole note of wholeMicros: plain
// from 1/1 to 1/shortest or dotted from 1/1 to 1/(shortest / 2) (two
// events); of two as near, the plain one, then the longer.
NoteValue NearestNoteValueOf(int64_t micros, int64_t wholeMicros, int shortest) {
  const int64_t target = std::min(micros, kLongestRunMicros) * kUnitsPerWhole;
  NoteValue best = {1, false};
  int64_t bestOff = -1;
  for (bool dotted : {false, true})
    for (int n = 1; n <= (dotted ? shortest / 2 : shortest); n *= 2) {
      const int64_t length = wholeMicros * kUnitsPerWhole * (dotted ? 3 : 2) / 2 / n;
      const int64_t off = std::llabs(length - target);
      if (bestOff < 0 || off < bestOff) best = {n, dotted}, bestOff = off;
    }
  return best;
}

// A run's length as note values: one value up to a dotted whole note, else
// whole notes and (unless it is very short) what is left as one value.
struct Reading {
  int64_t wholes = 0;
  bool hasRest = false;
  NoteValue rest = {1, false};
  int64_t Events() const { return wholes + (hasRest ? EventsOf(rest) : 0); }
};

Reading Read(int64_t micros, int64_t whole, int shortest) {
  Reading reading;
  if (2 * micros <= 3 * whole) {
    reading.hasRest = true;
    reading.rest = NearestNoteValueOf(micros, whole, shortest);
    return reading;
  }
  reading.wholes = micros / whole;
  const int64_t rest = micros - reading.wholes * whole;
  reading.hasRest = rest * kShortestRemainder >= whole;
  if (reading.hasRest) reading.rest = NearestNoteValueOf(rest, whole, shortest);
  return reading;
}

int64_t ValueMicros(const NoteValue& value, int64_t whole) {
  return whole * (value.dotted ? 3 : 2) / 2 / value.denominator;
}

// The whole note at which the runs' lengths read as note values, dotted
// ones and whole notes tied included, as they will be read. Each length read
// as each value from 1/1 to 1/64, plain or dotted, gives a whole note at
// which it is exact; the one whose readings lie nearest the lengths wins,
// each event beyond one a run counting as far off as a tenth of the runs'
// average length (so that a few triplets do not make every other note
// dotted, and a short whole note does not read each length as many whole
// notes), then the one nearest a quarter note of 120 a minute. The scale is
// the tempo fit's to choose, so the whole note need not be a whole number
// of beats a minute.
int64_t WholeOf(const std::vector<MidiRun>& runs) {
  std::vector<int64_t> lengths;
  int64_t total = 0;
  for (size_t i = 0; i < runs.size() && i < static_cast<size_t>(kMaxEventsPerSlot); ++i) {
    lengths.push_back(std::max<int64_t>(runs[i].endMicros - runs[i].startMicros, 1));
    total += lengths.back();
  }
  const int64_t count = static_cast<int64_t>(lengths.size());
  std::vector<int64_t> wholes;
  for (int64_t length : lengths)
    for (int n = 1; n <= kLongestReadingValue; n *= 2) {
      wholes.push_back(length * n);
      wholes.push_back(length * n * 2 / 3);
    }
  std::sort(wholes.begin(), wholes.end());
  wholes.erase(std::unique(wholes.begin(), wholes.end()), wholes.end());
  // As a's larger over its smaller, compared with b's without division.
  const auto moreUsual = [](int64_t a, int64_t b) {
    return std::max(a, kUsualWholeMicros) * std::min(b, kUsualWholeMicros) <
           std::max(b, kUsualWholeMicros) * std::min(a, kUsualWholeMicros);
  };
  int64_t best = kUsualWholeMicros, bestCost = -1;
  for (int64_t whole : wholes) {
    if (whole <= 0) continue;
    // In 1/(10 count) microseconds: off * 10 count + events * total.
    int64_t off = 0, events = 0;
    for (int64_t length : lengths) {
      const Reading reading = Read(length, whole, kShortestToken);
      off += std::llabs(length - reading.wholes * whole - (reading.hasRest ? ValueMicros(reading.rest, whole) : 0));
      events += reading.Events();
      if (events > kMostEventsARun * count) break;
    }
    if (events > kMostEventsARun * count) continue;
    const int64_t cost = off * kEventWorth * count + events * total;
    if (bestCost < 0 || cost < bestCost || (cost == bestCost && moreUsual(whole, best)))
      best = whole, bestCost = cost;
  }
  return best;
}

// The run's notes as the melody gets them, at most most events: each whole
// note asks for its length at the beat, the last for what is left, so that
// together they ask for the run's length (what fits of it, when it does not).
void AppendRun(const MidiRun& run, const Reading& reading, int64_t whole, int64_t most,
               std::vector<TuneNote>* tune) {
  const int64_t wholes = std::min(reading.wholes, most);
  for (int64_t w = 0; w < wholes; ++w) tune->push_back({run.pause, run.pitch, {1, false}, whole});
  const int64_t left = run.endMicros - run.startMicros - wholes * whole;
  if (reading.hasRest && wholes + EventsOf(reading.rest) <= most)
    tune->push_back({run.pause, run.pitch, reading.rest, std::max<int64_t>(1, left)});
  else if (!reading.hasRest && wholes == reading.wholes)
    tune->back().askedMicros += left;
}

// The runs read with values down to 1/shortest, cut to what the phone
// holds, made into a melody.
struct Fitting {
  std::vector<int64_t> events;  // per run
  size_t runsKept = 0;
  ImportedMelody melody;
};

Fitting FitRuns(const std::vector<MidiRun>& runs, int64_t whole, int shortest) {
  Fitting fitting;
  std::vector<Reading> readings;
  int64_t kept = 0;
  bool full = false;
  for (const MidiRun& run : runs) {
    readings.push_back(Read(run.endMicros - run.startMicros, whole, shortest));
    fitting.events.push_back(readings.back().Events());
    full = full || kept + fitting.events.back() > kMaxEventsPerSlot;
    if (full) continue;
    kept += fitting.events.back();
    ++fitting.runsKept;
  }
  while (fitting.runsKept > 0 && runs[fitting.runsKept - 1].pause) --fitting.runsKept;
  std::vector<TuneNote> tune;
  if (fitting.runsKept == 0) {
    // A first note too long for the phone keeps what fits of it.
    fitting.runsKept = 1;
    fitting.events[0] = std::min<int64_t>(fitting.events[0], kMaxEventsPerSlot);
  }
  for (size_t i = 0; i < fitting.runsKept; ++i) AppendRun(runs[i], readings[i], whole, kMaxEventsPerSlot, &tune);
  fitting.melody = TuneToMelody(tune, whole);
  return fitting;
}

// True when a's notes lie nearer what they ask for than b's, for the length
// they ask.
bool FitsBetter(const TempoFit& a, const TempoFit& b) {
  return static_cast<double>(a.offMicros) * static_cast<double>(b.askedMicros) <
         static_cast<double>(b.offMicros) * static_cast<double>(a.askedMicros);
}

void CountWhatTheVoiceDid(const std::vector<ReadNote>& notes, const std::vector<VoiceRun>& voice, uint32_t tolerance,
                          MidiImport* import) {
  std::vector<int64_t> heard(notes.size(), 0);
  for (size_t i = 0; i < import->runsKept; ++i)
    if (voice[i].note >= 0) heard[static_cast<size_t>(voice[i].note)] += voice[i].end - voice[i].start;
  const uint32_t from = voice.front().start, to = voice[import->runsKept - 1].end;
  std::vector<VoiceNote> span;
  bool anyHeard = false;
  for (size_t j = 0; j < notes.size(); ++j) {
    const ReadNote& note = notes[j];
    if (note.startTick < from || note.startTick >= to) continue;
    span.push_back({note.startTick, note.endTick, note.key});
    ++import->notes;
    const int64_t length = int64_t{note.endTick} - note.startTick;
    if (length <= tolerance) ++import->notesTooShort;
    else if (heard[j] == 0) ++import->notesHidden;
    else if (heard[j] + tolerance < length) ++import->notesCutShort;
    if (heard[j] == 0) continue;
    import->lowestVelocity = anyHeard ? std::min<int>(import->lowestVelocity, note.velocity) : note.velocity;
    import->highestVelocity = anyHeard ? std::max<int>(import->highestVelocity, note.velocity) : note.velocity;
    anyHeard = true;
  }
  import->mostAtOnce = MostAtOnce(span, tolerance);
  bool anyPitch = false;
  for (size_t i = 0; i < import->runsKept; ++i) {
    const MidiRun& run = import->runs[i];
    if (run.pause) continue;
    import->lowestPitch = anyPitch ? std::min(import->lowestPitch, run.pitch) : run.pitch;
    import->highestPitch = anyPitch ? std::max(import->highestPitch, run.pitch) : run.pitch;
    anyPitch = true;
  }
}

}  // namespace

MidiImportResult ImportMidi(const MidiFileContents& contents, const MidiImportOptions& options, MidiImport* import) {
  *import = MidiImport{};
  const uint32_t tolerance = ToleranceTicks(contents);
  import->toleranceTicks = tolerance;
  const MidiSelection& given = options.selection;
  if (given.track < 0 && given.channel < 0) {
    if (!ChooseMelodyPart(contents, &import->choice)) return MidiImportResult::kNoNotes;
  } else {
    import->choice = {given, MidiChoiceReason::kGiven};
  }
  const std::vector<ReadNote> selected = SelectedNotes(contents, import->choice.selection);
  std::vector<ReadNote> notes;
  for (const ReadNote& note : selected)
    if (contents.MicrosAt(note.startTick) >= options.fromMicros) notes.push_back(note);
  const std::vector<VoiceRun> voice = TopVoice(VoiceNotesOf(notes), tolerance);
  if (voice.empty()) return selected.empty() ? MidiImportResult::kNoNotes : MidiImportResult::kNothingFrom;

  for (const VoiceRun& run : voice) {
    const int64_t start = contents.MicrosAt(run.start);
    const int64_t end = start + std::min(contents.MicrosAt(run.end) - start, kLongestRunMicros);
    const bool pause = run.note < 0;
    import->runs.push_back({start, end, pause, pause ? 0 : notes[static_cast<size_t>(run.note)].key + options.transpose, 0});
  }

  // The reading from the runs that could be kept: at most one a melody event.
  const int64_t whole = WholeOf(import->runs);

  // A note read as a 1/512 leaves the tempo fit no other scale of the
  // tokens, so that one grace note could put all the others off. Coarser
  // readings, where such a note takes the shortest value read, are tried as
  // well, down to whole notes only, and the one whose notes come nearest
  // wins.
  Fitting best = FitRuns(import->runs, whole, kShortestToken);
  for (int shortest = kShortestToken / 2; shortest >= 1; shortest /= 2) {
    Fitting coarser = FitRuns(import->runs, whole, shortest);
    if (FitsBetter(coarser.melody.fit, best.melody.fit)) best = std::move(coarser);
  }
  for (size_t i = 0; i < import->runs.size(); ++i) {
    import->runs[i].events = best.events[i];
    import->eventsInAll += best.events[i];
  }
  import->runsKept = best.runsKept;
  import->melody = std::move(best.melody);
  CountWhatTheVoiceDid(notes, voice, tolerance, import);
  return MidiImportResult::kImported;
}
