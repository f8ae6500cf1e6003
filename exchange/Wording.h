#pragma once
// Counting things in messages: "1 note", "2 notes".
#include <string>

inline std::string CountOf(long count, const char* singular) {
  return std::to_string(count) + " " + singular + (count == 1 ? "" : "s");
}
