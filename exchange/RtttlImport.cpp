#include "exchange/RtttlImport.h"

#include <algorithm>
#include <cstdlib>

#include "exchange/OctaveShift.h"
#include "exchange/Pitch.h"
#include "base/Wording.h"

namespace {

constexpr int64_t kMicrosPerWholeNoteAtOneBeat = 4 * 60 * 1000000LL;
constexpr int kNotesListed = 5;  // notes named in one notice; the rest are counted

std::string Describe(const RtttlNote& note, int number) {
  return "note " + std::to_string(number) + " (line " + std::to_string(note.line) + ", column " +
         std::to_string(note.column) + ", \"" + note.written + "\")";
}

// "RTTTL octave 3", "RTTTL octaves 3 to 5"
std::string OctaveRange(int lowestPitch, int highestPitch) {
  int lowest = RtttlOctave(lowestPitch), highest = RtttlOctave(highestPitch);
  if (lowest == highest) return "RTTTL octave " + std::to_string(lowest);
  return "RTTTL octaves " + std::to_string(lowest) + " to " + std::to_string(highest);
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
                                         : Counted(count, "note") + " written " + letter + "# are read as " + as +
                                               ", the note they sound; the first is " + where);
  }
}

void ReportOctaves(const std::vector<RtttlNote>& notes, const std::vector<int>& pitches,
                   const std::vector<int>& pitched, const OctavePlan& plan, ImportedMelody* melody) {
  if (plan.shift == 0 && plan.movedAlone == 0) return;
  int lowest = pitches[0], highest = pitches[0];
  for (int pitch : pitches) lowest = std::min(lowest, pitch), highest = std::max(highest, pitch);
  std::string range = "the ringtone's notes lie in " + OctaveRange(lowest, highest) +
                      ", the melody's octaves 1 to 8 are " + OctaveRange(kLowestMelodyPitch, kHighestMelodyPitch);
  if (plan.shift)
    melody->notices.push_back(range + ": the whole tune is moved " + (plan.shift > 0 ? "up " : "down ") +
                              Counted(std::abs(plan.shift), "octave"));
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
                            ": " + Counted(plan.movedAlone, "note") + " outside " +
                            (plan.movedAlone == 1 ? "moves" : "move") + " by " +
                            (plan.movedAlone == 1 ? "itself" : "themselves") + " to the nearest octave: " + moved);
}

}  // namespace

int64_t RtttlWholeNoteMicros(int beats) { return (kMicrosPerWholeNoteAtOneBeat + beats / 2) / beats; }

ImportedMelody ConvertRtttl(const RtttlTune& tune) {
  std::vector<TuneNote> notes;
  for (const RtttlNote& note : tune.notes)
    notes.push_back({note.letter == 'p', note.letter == 'p' ? 0 : RtttlPitch(note), {note.duration, note.dotted}});
  ImportedMelody melody = TuneToMelody(notes, RtttlWholeNoteMicros(tune.beats));
  melody.notices = tune.notices;

  const std::vector<RtttlNote> kept(tune.notes.begin(), tune.notes.begin() + melody.notes);
  std::vector<int> pitches, pitched;  // of the kept notes that are not pauses, and their places
  for (size_t i = 0; i < kept.size(); ++i)
    if (kept[i].letter != 'p') pitches.push_back(RtttlPitch(kept[i])), pitched.push_back(static_cast<int>(i));
  ReportRespelled(kept, &melody);
  ReportOctaves(kept, pitches, pitched, melody.octaves, &melody);
  if (kept.size() < tune.notes.size())
    melody.notices.push_back("the ringtone has " + Counted(static_cast<long>(tune.notes.size()), "note") +
                             " and the phone holds " + std::to_string(kMaxEventsPerSlot) +
                             " events (a dotted note takes two), so it is cut after " +
                             Describe(kept.back(), melody.notes));
  return melody;
}
