#include "exchange/OctaveShift.h"

#include <algorithm>
#include <cstdlib>

#include "exchange/Pitch.h"

namespace {

// Octaves a pitch must move to lie in the range: 0 inside, up (positive)
// below it, down above it.
int OctavesIntoRange(int pitch, int lowest, int highest) {
  if (pitch < lowest) return (lowest - pitch + kSemitonesPerOctave - 1) / kSemitonesPerOctave;
  if (pitch > highest) return -((pitch - highest + kSemitonesPerOctave - 1) / kSemitonesPerOctave);
  return 0;
}

}  // namespace

OctavePlan PlanOctaves(const std::vector<int>& pitches, int lowest, int highest) {
  OctavePlan plan;
  if (pitches.empty()) return plan;
  // Every shift worth trying brings some pitch into range.
  int firstShift = 0, lastShift = 0;
  for (int pitch : pitches) {
    int up = OctavesIntoRange(pitch, lowest, highest);
    int span = (highest - lowest) / kSemitonesPerOctave;
    firstShift = std::min(firstShift, up - span);
    lastShift = std::max(lastShift, up + span);
  }
  int bestFitted = -1, bestAlone = 0;
  for (int shift = firstShift; shift <= lastShift; ++shift) {
    int fitted = 0, alone = 0;
    for (int pitch : pitches) {
      int more = OctavesIntoRange(pitch + shift * kSemitonesPerOctave, lowest, highest);
      fitted += more == 0;
      alone += std::abs(more);
    }
    // A shift must fit more notes to be worth moving the whole tune for.
    bool better = fitted > bestFitted ||
                  (fitted == bestFitted && (std::abs(shift) < std::abs(plan.shift) ||
                                            (std::abs(shift) == std::abs(plan.shift) && alone < bestAlone)));
    if (better) {
      plan.shift = shift;
      bestFitted = fitted;
      bestAlone = alone;
    }
  }
  for (int pitch : pitches) {
    int more = OctavesIntoRange(pitch + plan.shift * kSemitonesPerOctave, lowest, highest);
    plan.moves.push_back(plan.shift + more);
    plan.movedAlone += more != 0;
  }
  return plan;
}
