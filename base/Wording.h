#pragma once
// Wording shared by every message: counts with their noun, and how far one
// length is from another.
#include <cstdint>
#include <string>

// "1 note", "2 notes"; the plural given where it is not the singular and an s.
std::string Counted(long long count, const char* singular, const char* plural);
std::string Counted(long long count, const char* singular);

// "7.4 %": how much longer or shorter played is than asked, in tenths of a
// percent, without its sign (the caller says which).
std::string PercentOff(int64_t played, int64_t asked);
