#include "exchange/BeatFit.h"

#include <algorithm>
#include <cstdlib>
#include <map>

namespace {

constexpr int64_t kMicrosPerWholeNoteAtOneBeat = 4 * 60 * 1000000LL;
constexpr int kMaxBeats = 65535;
constexpr int kUsualBeats = 120;

int64_t OffMicros(uint16_t duration, int n, int beats) {
  return std::llabs(duration * 1000LL - NoteValueMicros(n, beats));
}

// How far a beat lies from the usual one, as the larger of the two over the
// smaller, compared without division: true when a lies nearer than b.
bool NearerUsual(int a, int b) {
  int64_t aHigh = std::max(a, kUsualBeats), aLow = std::min(a, kUsualBeats);
  int64_t bHigh = std::max(b, kUsualBeats), bLow = std::min(b, kUsualBeats);
  return aHigh * bLow < bHigh * aLow;
}

}  // namespace

int64_t NoteValueMicros(int n, int beats) {
  int64_t per = static_cast<int64_t>(n) * beats;
  return (kMicrosPerWholeNoteAtOneBeat + per / 2) / per;
}

int NearestNoteValue(uint16_t duration, int beats) {
  int best = kLongestNoteValue;
  for (int n = kLongestNoteValue; n <= kShortestNoteValue; n *= 2)
    if (OffMicros(duration, n, beats) < OffMicros(duration, best, beats)) best = n;
  return best;
}

std::vector<int> BeatsByFit(const std::vector<uint16_t>& durations) {
  std::map<uint16_t, int64_t> counts;
  for (uint16_t duration : durations)
    if (duration) counts[duration]++;
  // Each duration read as each note value gives the beat that makes it exact.
  std::vector<int> beats;
  for (const auto& count : counts)
    for (int n = kLongestNoteValue; n <= kShortestNoteValue; n *= 2) {
      int64_t per = static_cast<int64_t>(count.first) * n;
      int64_t b = (kMicrosPerWholeNoteAtOneBeat / 1000 + per / 2) / per;
      if (b >= 1 && b <= kMaxBeats) beats.push_back(static_cast<int>(b));
    }
  std::sort(beats.begin(), beats.end());
  beats.erase(std::unique(beats.begin(), beats.end()), beats.end());
  std::map<int, int64_t> off;
  for (int b : beats)
    for (const auto& count : counts) off[b] += count.second * OffMicros(count.first, NearestNoteValue(count.first, b), b);
  std::stable_sort(beats.begin(), beats.end(), [&](int a, int b) {
    if (off[a] != off[b]) return off[a] < off[b];
    return NearerUsual(a, b);
  });
  return beats;
}
