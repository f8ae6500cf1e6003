#include "cli/TerminalText.h"

#include "base/Cp1251.h"

std::string TerminalFromCp1251(const std::string& text) { return Cp1251ToUtf8(text); }

std::string Cp1251FromTerminal(const std::string& text) { return Utf8ToCp1251(text); }
