#include "melody/DurationTable.h"

#include <cstdlib>

#include "melody/AsciiCase.h"

namespace {

// Each base is 992 div n for the token (1/n).
constexpr DurationRow kDurations[kDurationRowCount] = {
    {"(1/512)", 1}, {"(1/256)", 3}, {"(1/128)", 7}, {"(1/64)", 15}, {"(1/32)", 31},
    {"(1/16)", 62}, {"(1/8)", 124}, {"(1/4)", 248}, {"(1/2)", 496}, {"(1/1)", 992},
};

}  // namespace

const DurationRow* DurationTable() { return kDurations; }

const DurationRow* FindDuration(const char* token) {
  for (const DurationRow& row : kDurations)
    if (EqualIgnoringAsciiCase(row.token, token)) return &row;
  return nullptr;
}

int ReadDurationToken(const char* text, int length, int from, char (&token)[kDurationTokenMax + 1]) {
  int count = 0;
  int i = from;
  while (i < length && count < kDurationTokenMax) {
    char c = text[i++];
    if (c == ' ') continue;
    token[count++] = c;
    if (c == ')') break;
  }
  token[count] = '\0';
  return i;
}

uint32_t ScaledDuration(uint16_t base, uint16_t tempo) {
  uint32_t t = tempo == 0 ? 1 : tempo;
  if (t <= 256) return (256 / t) * base;
  return base / (t / 256);
}

uint16_t StoredDuration(uint16_t base, uint16_t tempo) {
  uint32_t scaled = ScaledDuration(base, tempo);
  return scaled > kLongestDuration ? kLongestDuration : static_cast<uint16_t>(scaled);
}

const DurationRow& NearestDuration(uint16_t duration, uint16_t tempo, bool* exact) {
  const DurationRow* best = nullptr;
  long bestDistance = 0;
  for (const DurationRow& row : kDurations) {
    long distance = std::labs(static_cast<long>(StoredDuration(row.base, tempo)) - duration);
    if (!best || distance < bestDistance) {
      best = &row;
      bestDistance = distance;
    }
  }
  *exact = bestDistance == 0;
  return *best;
}
