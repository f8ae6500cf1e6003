#pragma once
// Conversion between code page 1251 (the program's 8-bit texts) and UTF-8
// (the terminal's). Characters without a counterpart become '?'.
#include <string>

std::string Cp1251ToUtf8(const std::string& text);
std::string Utf8ToCp1251(const std::string& text);
