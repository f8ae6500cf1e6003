#include "cli/TerminalText.h"

// The console and the command line already use the ANSI code page.
std::string TerminalFromCp1251(const std::string& text) { return text; }

std::string Cp1251FromTerminal(const std::string& text, std::vector<LostCharacter>*) { return text; }
