#include "melody/Encoder.h"

namespace {

// Each base is 992 div n for the token (1/n).
constexpr DurationRow kDurations[kDurationRowCount] = {
    {"(1/512)", 1}, {"(1/256)", 3}, {"(1/128)", 7}, {"(1/64)", 15}, {"(1/32)", 31},
    {"(1/16)", 62}, {"(1/8)", 124}, {"(1/4)", 248}, {"(1/2)", 496}, {"(1/1)", 992},
};

}  // namespace

const DurationRow* DurationTable() { return kDurations; }

uint32_t ScaledDuration(uint16_t base, uint16_t tempo) {
  uint32_t t = tempo == 0 ? 1 : tempo;
  if (t <= 256) return (256 / t) * base;
  return base / (t / 256);
}
