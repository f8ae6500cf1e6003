#include "cli/TextDisplay.h"

#include <cstdio>

#include "cli/TerminalText.h"

namespace {

std::string EscapedControls(const std::string& text, bool keepTabs) {
  std::string out;
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (c == '\t' && keepTabs) out += c;
    else if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (byte < 0x20 || byte == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      out += hex;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

TextPosition PositionIn(const std::string& text, int offset) {
  TextPosition position{1, 1};
  for (int i = 0; i < offset && i < static_cast<int>(text.size()); ++i) {
    char c = text[static_cast<size_t>(i)];
    bool crBeforeLf = c == '\r' && i + 1 < static_cast<int>(text.size()) && text[static_cast<size_t>(i) + 1] == '\n';
    if ((c == '\n' || c == '\r') && !crBeforeLf) {
      ++position.line;
      position.column = 1;
    } else if (!crBeforeLf) {
      ++position.column;
    }
  }
  return position;
}

std::string DescribePosition(const std::string& text, int offset) {
  TextPosition position = PositionIn(text, offset);
  return "line " + std::to_string(position.line) + ", column " + std::to_string(position.column);
}

std::string Printable(const std::string& cp1251) { return TerminalFromCp1251(EscapedControls(cp1251, false)); }

std::string ShownName(const std::string& name) { return EscapedControls(name, false); }

std::vector<std::string> PrintableLines(const std::string& cp1251) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < cp1251.size(); ++i) {
    char c = cp1251[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < cp1251.size() && cp1251[i + 1] == '\n') ++i;
      lines.push_back(TerminalFromCp1251(EscapedControls(line, true)));
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty() || lines.empty()) lines.push_back(TerminalFromCp1251(EscapedControls(line, true)));
  return lines;
}
