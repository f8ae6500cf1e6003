#include "exchange/RtttlImport.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include "exchange/OctaveShift.h"
#include "exchange/Pitch.h"
#include "exchange/Wording.h"
#include "melody/NoteTable.h"

namespace {

constexpr int64_t kMicrosPerWholeNoteAtOneBeat = 4 * 60 * 1000000LL;
constexpr int kMelodyToRtttlOctave = 3;
constexpr int kNotesListed = 5;  // notes named in one notice; the rest are counted

std::string Describe(const RtttlNote& note, int number) {
  return "note " + std::to_string(number) + " (line " + std::to_string(note.line) + ", column " +
         std::to_string(note.column) + ", \"" + note.written + "\")";
}

std::string OctaveRange(int lowestPitch, int highestPitch) {
  return std::to_string(RtttlOctave(lowestPitch)) + " to " + std::to_string(RtttlOctave(highestPitch));
}

// Sharps that name another letter's note: e# is F, b# the next octave's C.
void ReportRespelled(const std::vector<RtttlNote>& notes, ImportedMelody* melody) {
  for (char letter : {'e', 'b'}) {
    int count = 0, first = 0;
    for (size_t i = notes.size(); i-- > 0;)
      if (notes[i].letter == letter && notes[i].sharp) ++count, first = static_cast<int>(i);
    if (!count) continue;
    std::string where = Describe(notes[static_cast<size_t>(first)], first + 1);
    std::string as = letter == 'e' ? "F" : "C of the next octave";
    melody->notices.push_back(count == 1 ? where + " is read as " + as + ", the note it sounds"
                                         : CountOf(count, "note") + " written " + letter + "# are read as " + as +
                                               ", the note they sound; the first is " + where);
  }
}

void ReportOctaves(const std::vector<RtttlNote>& notes, const std::vector<int>& pitches,
                   const std::vector<int>& pitched, const OctavePlan& plan, ImportedMelody* melody) {
  if (plan.shift == 0 && plan.movedAlone == 0) return;
  int lowest = pitches[0], highest = pitches[0];
  for (int pitch : pitches) lowest = std::min(lowest, pitch), highest = std::max(highest, pitch);
  std::string range = "the ringtone's notes lie in RTTTL octaves " + OctaveRange(lowest, highest) +
                      ", the melody's octaves 1 to 8 are RTTTL's " +
                      OctaveRange(kLowestMelodyPitch, kHighestMelodyPitch);
  if (plan.shift)
    melody->notices.push_back(range + ": the whole tune is moved " + (plan.shift > 0 ? "up " : "down ") +
                              CountOf(std::abs(plan.shift), "octave"));
  if (!plan.movedAlone) return;
  std::string moved;
  int listed = 0;
  for (size_t i = 0; i < pitches.size(); ++i) {
    if (plan.moves[i] == plan.shift) continue;
    if (listed++ == kNotesListed) break;
    const RtttlNote& note = notes[static_cast<size_t>(pitched[i])];
    moved += (moved.empty() ? "" : ", ") + Describe(note, pitched[i] + 1) + " as " +
             MelodyNoteName(pitches[i] + plan.moves[i] * kSemitonesPerOctave);
  }
  if (plan.movedAlone > kNotesListed) moved += " and " + std::to_string(plan.movedAlone - kNotesListed) + " more";
  melody->notices.push_back((plan.shift ? std::string("no shift fits them all") : range + ", and no shift fits them all") +
                            ": " + CountOf(plan.movedAlone, "note") + " outside " +
                            (plan.movedAlone == 1 ? "moves" : "move") + " by " +
                            (plan.movedAlone == 1 ? "itself" : "themselves") + " to the nearest octave: " + moved);
}

}  // namespace

int64_t RtttlWholeNoteMicros(int beats) { return (kMicrosPerWholeNoteAtOneBeat + beats / 2) / beats; }

ImportedMelody ConvertRtttl(const RtttlTune& tune) {
  ImportedMelody melody;
  melody.notices = tune.notices;

  // A dotted note takes two events; the cut keeps notes whole.
  size_t kept = 0;
  for (int events = 0; kept < tune.notes.size(); ++kept) {
    events += tune.notes[kept].dotted ? 2 : 1;
    if (events > kMaxEventsPerSlot) break;
  }
  std::vector<RtttlNote> notes(tune.notes.begin(), tune.notes.begin() + static_cast<long>(kept));
  melody.notes = static_cast<int>(kept);

  std::vector<int> pitches, pitched;  // of the notes that are not pauses, and their places
  std::map<std::pair<int, bool>, int> counts;
  for (size_t i = 0; i < notes.size(); ++i) {
    if (notes[i].letter != 'p') pitches.push_back(RtttlPitch(notes[i])), pitched.push_back(static_cast<int>(i));
    counts[{notes[i].duration, notes[i].dotted}]++;
  }
  melody.octaves = PlanOctaves(pitches, kLowestMelodyPitch, kHighestMelodyPitch);
  const OctavePlan& plan = melody.octaves;
  std::vector<NoteValueCount> values;
  for (const auto& count : counts) values.push_back({{count.first.first, count.first.second}, count.second});
  melody.fit = FitTempo(values, RtttlWholeNoteMicros(tune.beats));
  melody.tempo = melody.fit.tempo;

  for (size_t i = 0, p = 0; i < notes.size(); ++i) {
    std::string name = "P";
    uint16_t tone = kPauseToneCode;
    if (notes[i].letter != 'p') {
      name = MelodyNoteName(pitches[p] + plan.moves[p] * kSemitonesPerOctave);
      tone = FindNote(name.c_str())->toneCode;
      ++p;
    }
    const DurationRow* tokens[2];
    for (int t = 0, n = TokensFor({notes[i].duration, notes[i].dotted}, melody.fit, tokens); t < n; ++t) {
      melody.text += (melody.text.empty() ? "" : " ") + name + tokens[t]->token;
      melody.events.push_back({tone, StoredDuration(tokens[t]->base, melody.tempo)});
    }
  }

  ReportRespelled(notes, &melody);
  ReportOctaves(notes, pitches, pitched, plan, &melody);
  if (kept < tune.notes.size())
    melody.notices.push_back("the ringtone has " + CountOf(static_cast<int>(tune.notes.size()), "note") + " and the phone holds " +
                             std::to_string(kMaxEventsPerSlot) + " events (a dotted note takes two), so it is cut after " +
                             Describe(notes.back(), melody.notes));
  return melody;
}
