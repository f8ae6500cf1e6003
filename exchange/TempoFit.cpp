#include "exchange/TempoFit.h"

#include <cstdlib>

namespace {

constexpr int kLongestToken = 1;    // (1/1)
constexpr int kShortestToken = 512;  // (1/512)
constexpr int kMostHalvings = 9;     // from (1/1) to (1/512)
constexpr int kMaxDividingTempo = 65280;  // 256 * 255
constexpr int kTempoStep = 256;

// Lengths are compared in 1/512 microseconds, where every value's length
// (dotted or not) is a whole number for any whole note.
constexpr int64_t kUnitsPerMicro = 512;
constexpr int64_t kUnitsPerMilli = 1000 * kUnitsPerMicro;

int64_t AskedUnits(const NoteValueCount& use, int64_t wholeNoteMicros) {
  if (use.askedMicros) return use.askedMicros * kUnitsPerMicro;
  return wholeNoteMicros * (use.value.dotted ? 3 : 2) * (kUnitsPerMicro / 2) / use.value.denominator;
}

// The denominator n * 2^shift, or 0 when it has no token.
int Shifted(int n, int shift) {
  int64_t shifted = n;
  for (int i = 0; i < shift; ++i) shifted *= 2;
  for (int i = 0; i > shift; --i) {
    if (shifted % 2) return 0;
    shifted /= 2;
  }
  return shifted >= kLongestToken && shifted <= kShortestToken ? static_cast<int>(shifted) : 0;
}

// One tempo of each set that scales alike: 256, 128, 85, ... 1 (the highest
// of the tempos that multiply by the same factor), then 512, 768, ... 65280
// (each divides by a factor of its own; 257 to 511 play as 256), with what
// each token lasts at it.
struct TempoTable {
  std::vector<uint16_t> tempos;
  std::vector<std::vector<uint16_t>> stored;  // per tempo, per row of the duration table

  TempoTable() {
    int lastFactor = 0;
    for (int tempo = kTempoStep; tempo >= 1; --tempo) {
      int factor = kTempoStep / tempo;
      if (factor != lastFactor) Add(tempo);
      lastFactor = factor;
    }
    for (int tempo = 2 * kTempoStep; tempo <= kMaxDividingTempo; tempo += kTempoStep) Add(tempo);
  }

  void Add(int tempo) {
    tempos.push_back(static_cast<uint16_t>(tempo));
    stored.emplace_back();
    for (int row = 0; row < kDurationRowCount; ++row)
      stored.back().push_back(StoredDuration(DurationTable()[row].base, static_cast<uint16_t>(tempo)));
  }
};

// A value's tokens at a shift, as rows of the duration table.
struct ValueRows {
  int rows[2];
  int count;
  int64_t asked;  // one note's length, in units
  int64_t notes;
};

}  // namespace

const DurationRow* TokenForDenominator(int n) {
  for (int i = 0; i < kDurationRowCount; ++i)
    if ((kShortestToken >> i) == n) return &DurationTable()[i];  // the table runs from (1/512) to (1/1)
  return nullptr;
}

int TokensFor(const NoteValue& value, const TempoFit& fit, const DurationRow* tokens[2]) {
  int n = Shifted(value.denominator, fit.shift);
  tokens[0] = TokenForDenominator(n);
  if (!value.dotted) return 1;
  tokens[1] = TokenForDenominator(2 * n);
  return 2;
}

TempoFit FitTempo(const std::vector<NoteValueCount>& values, int64_t wholeNoteMicros) {
  static const TempoTable table;
  TempoFit best;
  bool found = false;
  int64_t bestOffUnits = 0;
  int64_t askedUnits = 0;
  for (const NoteValueCount& use : values) askedUnits += use.count * AskedUnits(use, wholeNoteMicros);
  // Shifts in the order of preference: none, then one halving either way, ...
  for (int step = 0; step <= 2 * kMostHalvings; ++step) {
    const int shift = step % 2 ? (step + 1) / 2 : -step / 2;
    std::vector<ValueRows> rows;
    for (const NoteValueCount& use : values) {
      TempoFit at;
      at.shift = shift;
      const DurationRow* tokens[2] = {nullptr, nullptr};
      ValueRows value = {{0, 0}, TokensFor(use.value, at, tokens), AskedUnits(use, wholeNoteMicros), use.count};
      for (int i = 0; i < value.count; ++i)
        value.rows[i] = tokens[i] ? static_cast<int>(tokens[i] - DurationTable()) : -1;
      if (value.rows[0] < 0 || value.rows[value.count - 1] < 0) break;
      rows.push_back(value);
    }
    if (rows.size() != values.size()) continue;  // a value has no token at this shift
    for (size_t t = 0; t < table.tempos.size(); ++t) {
      const std::vector<uint16_t>& stored = table.stored[t];
      int64_t offUnits = 0, playedUnits = 0;
      bool audible = true;
      for (const ValueRows& value : rows) {
        int64_t played = 0;
        for (int i = 0; i < value.count; ++i) {
          audible = audible && stored[static_cast<size_t>(value.rows[i])] > 0;
          played += stored[static_cast<size_t>(value.rows[i])];
        }
        playedUnits += value.notes * played * kUnitsPerMilli;
        offUnits += value.notes * std::llabs(played * kUnitsPerMilli - value.asked);
        if (found && offUnits >= bestOffUnits) break;
      }
      if (!audible || (found && offUnits >= bestOffUnits)) continue;
      best.tempo = table.tempos[t];
      best.shift = shift;
      best.askedMicros = askedUnits / kUnitsPerMicro;
      best.playedMicros = playedUnits / kUnitsPerMicro;
      best.offMicros = offUnits / kUnitsPerMicro;
      bestOffUnits = offUnits;
      found = true;
    }
  }
  return best;
}
