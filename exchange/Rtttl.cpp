#include "exchange/Rtttl.h"

#include <cctype>
#include <cstdio>

#include "exchange/Pitch.h"

namespace {

constexpr int kMaxSettingValue = 65535;
constexpr int kMaxOctave = 9;  // one digit
constexpr char kDurations[] = "1, 2, 4, 8, 16, 32 or 64";
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

// A character of the file with where it stands; blanks are dropped.
struct Placed {
  char c;
  int line, column;
};
using Item = std::vector<Placed>;

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

std::string At(const Placed& p) { return "line " + std::to_string(p.line) + ", column " + std::to_string(p.column); }

// A character for a message: control characters and bytes above ASCII are
// shown as \xNN, so that a NUL or a stray byte can be seen.
std::string Shown(char c) {
  unsigned char byte = static_cast<unsigned char>(c);
  if (byte >= 0x20 && byte < 0x7F) return std::string(1, c);
  char escaped[8];
  std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
  return escaped;
}

std::string Shown(const Item& item, size_t from = 0) {
  std::string text;
  for (size_t i = from; i < item.size(); ++i) text += Shown(item[i].c);
  return text;
}

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsValidDuration(long d) { return d == 1 || d == 2 || d == 4 || d == 8 || d == 16 || d == 32 || d == 64; }

// Splits a section at commas into its items (empty ones dropped).
std::vector<Item> Items(const std::vector<Placed>& section) {
  std::vector<Item> items(1);
  for (const Placed& p : section) {
    if (p.c == ',') items.emplace_back();
    else items.back().push_back(p);
  }
  std::vector<Item> kept;
  for (auto& item : items)
    if (!item.empty()) kept.push_back(item);
  return kept;
}

// Reads the digits at item[*at]: how many there were, and their value (-1
// once it passes kMaxSettingValue).
int ReadDigits(const Item& item, size_t* at, long* value) {
  size_t start = *at;
  *value = 0;
  for (; *at < item.size() && IsDigit(item[*at].c); ++*at) {
    if (*value < 0) continue;
    *value = *value * 10 + (item[*at].c - '0');
    if (*value > kMaxSettingValue) *value = -1;
  }
  return static_cast<int>(*at - start);
}

std::string OctaveOutOfRange(const std::string& what, const Item& item, size_t from, size_t to, const Placed& where) {
  std::string digits;
  for (size_t i = from; i < to; ++i) digits += item[i].c;
  return what + " " + digits + " at " + At(where) + " is out of range: an RTTTL octave is one digit, 0 to 9";
}

bool ParseSetting(const Item& item, RtttlTune* tune, std::string* error) {
  char key = Lower(item[0].c);
  bool known = key == 'd' || key == 'o' || key == 'b' || key == 'l' || key == 's';
  if (item.size() < 2 || item[1].c != '=' || !known) {
    *error = "unknown setting \"" + Shown(item) + "\" at " + At(item[0]) +
             ": expected d=, o= or b= (l= and s= are read and ignored)";
    return false;
  }
  if (item.size() == 2) {
    *error = "the setting " + std::string(1, key) + "= at " + At(item[0]) + " has no value";
    return false;
  }
  if (key == 'l' || key == 's') {
    tune->notices.push_back("the setting " + Shown(item) + " at " + At(item[0]) + " (" +
                            (key == 'l' ? "loops" : "style") + ") is ignored: a melody plays once, as written");
    return true;
  }
  size_t at = 2;
  long value = 0;
  int digits = ReadDigits(item, &at, &value);
  if (digits == 0 || at != item.size()) {
    *error = "the setting " + std::string(1, key) + " at " + At(item[0]) + ": expected a whole number, not \"" +
             Shown(item, 2) + "\"";
    return false;
  }
  if (key == 'd' && !IsValidDuration(value)) {
    *error = "default duration " + Shown(item, 2) + " at " + At(item[0]) + ": expected " + kDurations;
    return false;
  }
  if (key == 'o' && (digits > 1 || value > kMaxOctave)) {
    *error = OctaveOutOfRange("default octave", item, 2, at, item[0]);
    return false;
  }
  if (key == 'b' && value < 1) {  // 0, or past kMaxSettingValue
    *error = "tempo b=" + Shown(item, 2) + " at " + At(item[0]) + ": expected 1 to " +
             std::to_string(kMaxSettingValue) + " beats a minute";
    return false;
  }
  (key == 'd' ? tune->defaultDuration : key == 'o' ? tune->defaultOctave : tune->beats) = static_cast<int>(value);
  return true;
}

// What may follow at a place in a note, for the message about what does not.
std::string Expected(const RtttlNote& note, bool octaveRead, bool last) {
  std::string expected;
  if (!octaveRead && !note.dotted && !note.sharp && note.letter != 'p') expected += "a sharp, ";
  if (!note.dotted) expected += "a dot, ";
  if (!octaveRead) expected += "an octave, ";
  return expected + (expected.empty() ? "" : "or ") + (last ? "nothing" : "a comma before the next note");
}

bool ParseNote(const Item& item, const RtttlTune& tune, bool lastItem, RtttlNote* note, std::string* error) {
  size_t at = 0;
  note->line = item[0].line;
  note->column = item[0].column;
  note->written = Shown(item);
  note->duration = tune.defaultDuration;
  note->octave = tune.defaultOctave;
  note->sharp = false;
  note->dotted = false;
  long value = 0;
  if (ReadDigits(item, &at, &value)) {
    if (!IsValidDuration(value)) {
      *error = "duration " + Shown(Item(item.begin(), item.begin() + static_cast<long>(at))) + " at " + At(item[0]) +
               ": expected " + kDurations;
      return false;
    }
    note->duration = static_cast<int>(value);
  }
  if (at == item.size()) {
    *error = "a duration without a note at " + At(item[0]) + ": expected a note letter (a to g, h or p) after " +
             note->written + (lastItem ? "; the ringtone may be cut short here" : "");
    return false;
  }
  const Placed& letter = item[at];
  note->letter = Lower(letter.c);
  if (note->letter == 'h') note->letter = 'b';
  if (std::string("cdefgabp").find(note->letter) == std::string::npos) {
    std::string hint = letter.c == '#' || letter.c == '_' ? "; a sharp goes after the letter, as in c#"
                       : letter.c == '.'                  ? "; a dot goes after the note, as in c."
                                                          : "";
    *error = "unknown note '" + Shown(letter.c) + "' at " + At(letter) + ": expected a note letter (a to g, h or p)" + hint;
    return false;
  }
  ++at;
  if (at < item.size() && (item[at].c == '#' || item[at].c == '_') && note->letter != 'p') note->sharp = true, ++at;
  if (at < item.size() && item[at].c == '.') note->dotted = true, ++at;
  bool octaveRead = false;
  size_t octaveStart = at;
  if (ReadDigits(item, &at, &value)) {
    if (at - octaveStart > 1) {
      *error = OctaveOutOfRange("octave", item, octaveStart, at, item[octaveStart]);
      return false;
    }
    note->octave = static_cast<int>(value);
    octaveRead = true;
  }
  if (at < item.size() && item[at].c == '.' && !note->dotted) note->dotted = true, ++at;
  if (at < item.size()) {
    *error = "unexpected '" + Shown(item[at].c) + "' at " + At(item[at]) + " after \"" +
             Shown(Item(item.begin(), item.begin() + static_cast<long>(at))) + "\": expected " +
             Expected(*note, octaveRead, lastItem) +
             (item[at].c == '=' ? "; settings go between the two colons" : "");
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
  if (name.compare(0, 3, kUtf8Mark) == 0) name.erase(0, 3);
  size_t first = name.find_first_not_of(" \t\r\n");
  size_t last = name.find_last_not_of(" \t\r\n");
  parsed.name = first == std::string::npos ? "" : name.substr(first, last - first + 1);

  // Positions count from the start of the file, so the sections are cut
  // out of the placed characters rather than out of the text.
  std::vector<Placed> settings, notes;
  int colons = 0;
  for (const Placed& p : WithoutBlanks(text)) {
    if (p.c == ':' && colons < 2) {
      ++colons;
      continue;
    }
    if (colons == 1) settings.push_back(p);
    if (colons == 2) notes.push_back(p);
  }
  for (const Item& item : Items(settings))
    if (!ParseSetting(item, &parsed, error)) return false;
  std::vector<Item> items = Items(notes);
  for (size_t i = 0; i < items.size(); ++i) {
    RtttlNote note;
    if (!ParseNote(items[i], parsed, i + 1 == items.size(), &note, error)) return false;
    parsed.notes.push_back(note);
  }
  if (parsed.notes.empty()) {
    *error = "the ringtone has no notes: expected notes after the second colon";
    return false;
  }
  *tune = parsed;
  return true;
}

int RtttlPitch(const RtttlNote& note) {
  static const char kLetters[] = "c d ef g a b";  // the letters at their semitone within the octave
  int semitone = static_cast<int>(std::string(kLetters).find(note.letter));
  return kSemitonesPerOctave * (note.octave + 1) + semitone + (note.sharp ? 1 : 0);
}
