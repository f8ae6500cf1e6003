#pragma once
// Showing melody texts, pieces of them and the names a user gave to a
// person.
#include <string>
#include <vector>

// Counts and percentages in messages, with the rest of the wording here.
#include "base/Wording.h"

struct TextPosition {
  int line;    // from 1; CR LF, LF and a lone CR each end a line
  int column;  // from 1, in bytes
};

TextPosition PositionIn(const std::string& text, int offset);
// "line 2, column 7"
std::string DescribePosition(const std::string& text, int offset);

// For the terminal, with control characters written as \r, \n, \t or \xNN.
std::string Printable(const std::string& cp1251);

// The text's lines for the terminal, control characters other than tabs
// written visibly.
std::vector<std::string> PrintableLines(const std::string& cp1251);

// A name the user gave (a file, a port, an option), already in the
// terminal's encoding, for a message: control characters written as in
// Printable, so that a stray byte shows instead of acting.
std::string ShownName(const std::string& name);

