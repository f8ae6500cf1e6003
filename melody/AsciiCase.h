#pragma once
// Note names and duration tokens match whatever the case of their ASCII
// letters: "cis2" is "Cis2". Other bytes (code page 1251 letters among them)
// must be equal.

inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool EqualIgnoringAsciiCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (AsciiLower(*a) != AsciiLower(*b)) return false;
  return *a == *b;
}
