#pragma once
// Melody texts are 8-bit in code page 1251, as the dialog keeps them. The
// terminal speaks UTF-8 on Linux and the ANSI code page (1251 on a Russian
// system) on Windows; these convert at that border.
#include <string>
#include <vector>

// A character the terminal gave that code page 1251 has no byte for: it
// became '?' at offset in the converted text.
struct LostCharacter {
  int offset;
  std::string character;  // as the terminal gave it
};

std::string TerminalFromCp1251(const std::string& text);
// Characters without a counterpart become '?' and, when lost is given, are
// listed there. (On Windows the system has already made that change and
// tells nothing of it.)
std::string Cp1251FromTerminal(const std::string& text, std::vector<LostCharacter>* lost = nullptr);
