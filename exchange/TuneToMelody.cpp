#include "exchange/TuneToMelody.h"

#include <map>
#include <tuple>

#include "exchange/Pitch.h"
#include "melody/NoteTable.h"

ImportedMelody TuneToMelody(const std::vector<TuneNote>& tune, int64_t wholeNoteMicros) {
  ImportedMelody melody;
  // A dotted note takes two events; the cut keeps notes whole.
  size_t kept = 0;
  for (int events = 0; kept < tune.size(); ++kept) {
    events += tune[kept].value.dotted ? 2 : 1;
    if (events > kMaxEventsPerSlot) break;
  }
  const std::vector<TuneNote> notes(tune.begin(), tune.begin() + static_cast<long>(kept));
  melody.notes = static_cast<int>(kept);

  std::vector<int> pitches;
  std::map<std::tuple<int, bool, int64_t>, int> counts;
  for (const TuneNote& note : notes) {
    if (!note.pause) pitches.push_back(note.pitch);
    counts[{note.value.denominator, note.value.dotted, note.askedMicros}]++;
  }
  melody.octaves = PlanOctaves(pitches, kLowestMelodyPitch, kHighestMelodyPitch);
  std::vector<NoteValueCount> values;
  for (const auto& [key, count] : counts)
    values.push_back({{std::get<0>(key), std::get<1>(key)}, count, std::get<2>(key)});
  melody.fit = FitTempo(values, wholeNoteMicros);
  melody.tempo = melody.fit.tempo;

  size_t p = 0;
  for (const TuneNote& note : notes) {
    std::string name = "P";
    uint16_t tone = kPauseToneCode;
    if (!note.pause) {
      name = MelodyNoteName(note.pitch + melody.octaves.moves[p++] * kSemitonesPerOctave);
      tone = FindNote(name.c_str())->toneCode;
    }
    const DurationRow* tokens[2];
    for (int t = 0, n = TokensFor(note.value, melody.fit, tokens); t < n; ++t) {
      melody.text += (melody.text.empty() ? "" : " ") + name + tokens[t]->token;
      melody.events.push_back({tone, StoredDuration(tokens[t]->base, melody.tempo)});
    }
  }
  return melody;
}
