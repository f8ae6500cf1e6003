#pragma once
// Melody texts are 8-bit in code page 1251, as the dialog keeps them. The
// terminal speaks UTF-8 on Linux and the ANSI code page (1251 on a Russian
// system) on Windows; these convert at that border.
#include <string>

std::string TerminalFromCp1251(const std::string& text);
std::string Cp1251FromTerminal(const std::string& text);
