#include "cli/Rtttl.h"

#include <cctype>

namespace {

constexpr int kMaxSettingValue = 65535;

// A character of the file with where it stands; blanks are dropped.
struct Placed {
  char c;
  int line, column;
};

std::vector<Placed> WithoutBlanks(const std::string& text) {
  std::vector<Placed> placed;
  int line = 1, column = 1;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\n' || (c == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
      ++line;
      column = 1;
      continue;
    }
    if (c != ' ' && c != '\t' && c != '\r') placed.push_back({c, line, column});
    ++column;
  }
  return placed;
}

std::string At(int line, int column) {
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

std::string At(const Placed& p) { return At(p.line, p.column); }

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsValidDuration(int d) { return d == 1 || d == 2 || d == 4 || d == 8 || d == 16 || d == 32; }

// Splits a section at commas into its items (empty ones dropped).
std::vector<std::vector<Placed>> Items(const std::vector<Placed>& section) {
  std::vector<std::vector<Placed>> items(1);
  for (const Placed& p : section) {
    if (p.c == ',') items.emplace_back();
    else items.back().push_back(p);
  }
  std::vector<std::vector<Placed>> kept;
  for (auto& item : items)
    if (!item.empty()) kept.push_back(item);
  return kept;
}

// Reads digits from item[*at]; false (value untouched) when there are
// none, or when they pass kMaxSettingValue.
bool ReadNumber(const std::vector<Placed>& item, size_t* at, int* value) {
  size_t start = *at;
  long number = 0;
  while (*at < item.size() && IsDigit(item[*at].c)) {
    number = number * 10 + (item[*at].c - '0');
    if (number > kMaxSettingValue) return false;
    ++*at;
  }
  if (*at == start) return false;
  *value = static_cast<int>(number);
  return true;
}

bool ParseSettings(const std::vector<Placed>& section, RtttlTune* tune, std::string* error) {
  for (const auto& item : Items(section)) {
    char key = Lower(item[0].c);
    size_t at = 2;
    int value = 0;
    if (item.size() < 2 || item[1].c != '=' || (key != 'd' && key != 'o' && key != 'b')) {
      *error = "unknown setting at " + At(item[0]) + ": expected d=, o= or b=";
      return false;
    }
    if (!ReadNumber(item, &at, &value) || at != item.size()) {
      *error = "the setting " + std::string(1, key) + " at " + At(item[0]) + " needs a whole number";
      return false;
    }
    if (key == 'd' && !IsValidDuration(value)) {
      *error = "default duration " + std::to_string(value) + " at " + At(item[0]) +
               ": durations are 1, 2, 4, 8, 16 or 32";
      return false;
    }
    if (key == 'b' && value == 0) {
      *error = "tempo b=0 at " + At(item[0]) + ": it must be at least 1";
      return false;
    }
    (key == 'd' ? tune->defaultDuration : key == 'o' ? tune->defaultOctave : tune->beats) = value;
  }
  return true;
}

bool ParseNote(const std::vector<Placed>& item, const RtttlTune& tune, RtttlNote* note, std::string* error) {
  size_t at = 0;
  note->line = item[0].line;
  note->column = item[0].column;
  note->duration = tune.defaultDuration;
  note->octave = tune.defaultOctave;
  note->sharp = false;
  note->dotted = false;
  if (ReadNumber(item, &at, &note->duration) && !IsValidDuration(note->duration)) {
    *error = "duration " + std::to_string(note->duration) + " at " + At(item[0]) +
             ": durations are 1, 2, 4, 8, 16 or 32";
    return false;
  }
  if (at == item.size() && at > 0) {
    *error = "a duration without a note at " + At(item[0]);
    return false;
  }
  if (at < item.size() && IsDigit(item[at].c)) {
    *error = "duration too large at " + At(item[0]);
    return false;
  }
  const Placed& letter = item[at];
  note->letter = Lower(letter.c);
  if (note->letter == 'h') note->letter = 'b';
  const std::string letters = "cdefgabp";
  if (letters.find(note->letter) == std::string::npos) {
    *error = "unknown note '" + std::string(1, letter.c) + "' at " + At(letter);
    return false;
  }
  ++at;
  if (at < item.size() && item[at].c == '#') {
    if (note->letter == 'e' || note->letter == 'b' || note->letter == 'p') {
      *error = "unknown note '" + std::string(1, letter.c) + "#' at " + At(letter);
      return false;
    }
    note->sharp = true;
    ++at;
  }
  // The dot may stand before or after the octave.
  if (at < item.size() && item[at].c == '.') note->dotted = true, ++at;
  if (at < item.size() && IsDigit(item[at].c)) note->octave = item[at].c - '0', ++at;
  if (at < item.size() && item[at].c == '.' && !note->dotted) note->dotted = true, ++at;
  if (at < item.size()) {
    *error = "unexpected '" + std::string(1, item[at].c) + "' at " + At(item[at]) + " in a note";
    return false;
  }
  return true;
}

}  // namespace

bool ParseRtttl(const std::string& text, RtttlTune* tune, std::string* error) {
  size_t firstColon = text.find(':');
  size_t secondColon = firstColon == std::string::npos ? firstColon : text.find(':', firstColon + 1);
  if (secondColon == std::string::npos) {
    *error = "not an RTTTL ringtone: expected name:settings:notes, with two colons";
    return false;
  }
  RtttlTune parsed;
  std::string name = text.substr(0, firstColon);
  size_t first = name.find_first_not_of(" \t\r\n");
  size_t last = name.find_last_not_of(" \t\r\n");
  parsed.name = first == std::string::npos ? "" : name.substr(first, last - first + 1);

  // Positions count from the start of the file, so the sections are cut
  // out of the placed characters rather than out of the text.
  std::vector<Placed> all = WithoutBlanks(text);
  std::vector<Placed> settings, notes;
  int colons = 0;
  for (const Placed& p : all) {
    if (p.c == ':' && colons < 2) {
      ++colons;
      continue;
    }
    if (colons == 1) settings.push_back(p);
    if (colons == 2) notes.push_back(p);
  }
  if (!ParseSettings(settings, &parsed, error)) return false;
  for (const auto& item : Items(notes)) {
    RtttlNote note;
    if (!ParseNote(item, parsed, &note, error)) return false;
    parsed.notes.push_back(note);
  }
  if (parsed.notes.empty()) {
    *error = "the ringtone has no notes";
    return false;
  }
  *tune = parsed;
  return true;
}
