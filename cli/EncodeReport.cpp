#include "cli/EncodeReport.h"

#include <cctype>

#include "cli/TextDisplay.h"
#include "melody/DurationTable.h"
#include "melody/NoteTable.h"
#include "melody/SlotFormat.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Quoted(const std::string& token) { return "\"" + Printable(token) + "\""; }

std::string Where(int k, const std::string& text, int position) {
  return "melody " + std::to_string(k + 1) + ", " + DescribePosition(text, position);
}

// Cyrillic letters of code page 1251 that look like the Latin letters of
// note names: typed on a Russian keyboard layout, "С2" reads as C2 but is
// no note.
struct LookAlike {
  unsigned char cyrillic;
  char latin;
};
constexpr LookAlike kLookAlikes[] = {
    {0xC0, 'A'}, {0xC2, 'B'}, {0xD1, 'C'}, {0xC5, 'E'}, {0xCD, 'H'}, {0xD0, 'P'}, {0xB2, 'I'}, {0xBD, 'S'},
    {0xE0, 'a'}, {0xF1, 'c'}, {0xE5, 'e'}, {0xF0, 'p'}, {0xB3, 'i'}, {0xBE, 's'},
};

// "; "С" is the Cyrillic letter, not the Latin C" for each look-alike in
// the note token; empty when it holds none.
std::string LookAlikeHint(const std::string& token) {
  std::string hint;
  for (char c : token)
    for (const LookAlike& letter : kLookAlikes)
      if (static_cast<unsigned char>(c) == letter.cyrillic)
        hint += "; " + Quoted(std::string(1, c)) + " is the Cyrillic letter, not the Latin " + letter.latin;
  return hint;
}

}  // namespace

void EncodeRecorder::OnPlaceholder(int k, const char* noteToken, const char* durationToken,
                                   int notePosition, int durationPosition) {
  placeholders.push_back({k, noteToken ? noteToken : "", durationToken ? durationToken : "",
                          notePosition, durationPosition});
}

void EncodeRecorder::OnTruncated(int k, int keptEvents, int droppedFromPosition) {
  truncations.push_back({k, keptEvents, droppedFromPosition});
}

std::string DescribePlaceholder(const PlaceholderReport& report, const std::string& text, uint16_t tempo) {
  const NoteRow* note = report.noteToken.empty() ? nullptr : FindNote(report.noteToken.c_str());
  const DurationRow* duration = FindDuration(report.durationToken.c_str());
  int position = report.notePosition >= 0 ? report.notePosition : report.durationPosition;
  // A note token that begins with a line break is shown where its note is.
  size_t visible = report.noteToken.find_first_not_of("\r\n");
  if (report.notePosition >= 0 && visible != std::string::npos) position += static_cast<int>(visible);
  std::string what = Quoted(report.noteToken + report.durationToken) + ": ";
  if (report.noteToken.empty()) {
    what += "no note before the duration (a blank between a note and its \"(\" separates them)";
    if (!duration) what += ", and " + Quoted(report.durationToken) + " is no known duration";
  } else if (!note && !duration) {
    what += "unknown note " + Quoted(report.noteToken) + " and unknown duration " + Quoted(report.durationToken) +
            LookAlikeHint(report.noteToken);
  } else if (!note) {
    what += "unknown note " + Quoted(report.noteToken) + LookAlikeHint(report.noteToken);
  } else if (!duration) {
    what += "unknown duration " + Quoted(report.durationToken) + " (durations are (1/1), (1/2), (1/4) ... (1/512))";
  } else {
    what += "comes out as a duration of 0 at tempo " + std::to_string(tempo) + " (too short)";
  }
  if (report.noteToken.find_first_of("\r\n") != std::string::npos)
    what += "; a line break joins the note after it: put a blank after each line break";
  int passedOver = report.notePosition - 1;
  if (passedOver >= 1 && text[static_cast<size_t>(passedOver) - 1] == ')' &&
      !IsBlank(text[static_cast<size_t>(passedOver)]))
    what += "; the " + Quoted(text.substr(static_cast<size_t>(passedOver), 1)) +
            " right after \")\" is skipped: put a blank after \")\"";
  return Where(report.k, text, position) + ", " + what + "; it plays as a silence of 31";
}

std::string DescribeTruncation(const TruncationReport& report, const std::string& text) {
  return Where(report.k, text, report.droppedFromPosition) + ": the melody has more than " +
         std::to_string(kMaxEventsPerSlot) + " notes; the phone holds the first " +
         std::to_string(report.keptEvents) + ", so everything from here on is left out";
}

int IgnoredTailStart(const std::string& text) {
  // Follows the encoder's scan: after a duration token the next character is
  // passed over unseen; a note needs a "(" to become an event.
  const int length = static_cast<int>(text.size());
  int tail = 0;
  int i = 0;
  while (i < length) {
    if (text[i] == '(') {
      char token[kDurationTokenMax + 1];
      int end = ReadDurationToken(text.data(), length, i, token);
      // A letter or digit passed over at the very end is lost as well.
      bool passedOverIsNote = end < length && std::isalnum(static_cast<unsigned char>(text[end]));
      tail = passedOverIsNote ? end : end + 1;
      i = end + 1;
    } else {
      ++i;
    }
  }
  for (int j = tail; j < length; ++j)
    if (!IsBlank(text[j])) return j;
  return -1;
}
