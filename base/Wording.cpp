#include "base/Wording.h"

std::string Counted(long long count, const char* singular, const char* plural) {
  return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

std::string Counted(long long count, const char* singular) {
  return std::to_string(count) + " " + singular + (count == 1 ? "" : "s");
}

std::string PercentOff(int64_t played, int64_t asked) {
  int64_t tenths = asked ? ((played - asked) * 2000 / asked + (played >= asked ? 1 : -1)) / 2 : 0;
  int64_t whole = tenths < 0 ? -tenths : tenths;
  return std::to_string(whole / 10) + "." + std::to_string(whole % 10) + " %";
}
