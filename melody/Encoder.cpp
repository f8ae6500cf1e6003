// DecodeToBuffer: one melody's note text into its slot of the block image.
#include <cstring>

#include "diag/ErrorLog.h"
#include "melody/LittleEndian.h"
#include "melody/MelodySet.h"
#include "sys/SystemInfo.h"

namespace {

constexpr int kNoteTokenMax = 20;
constexpr int kDurationTokenMax = 10;
constexpr int kHeaderSize = 2;
constexpr int kEventSize = 4;
constexpr uint16_t kFirstHeaderWord = 0x0014;
constexpr uint8_t kEmptySlotMark = 0xFF;
constexpr uint8_t kTerminator[] = {0xFC, 0xFF, 0x01};

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (AsciiLower(*a) != AsciiLower(*b)) return false;
  return *a == *b;
}

const NoteRow* FindNote(const char* token) {
  const NoteRow* rows = NoteTable();
  for (int i = 0; i < kNoteRowCount; ++i)
    if (EqualIgnoringCase(rows[i].name, token)) return &rows[i];
  return nullptr;
}

const DurationRow* FindDuration(const char* token) {
  const DurationRow* rows = DurationTable();
  for (int i = 0; i < kDurationRowCount; ++i)
    if (EqualIgnoringCase(rows[i].token, token)) return &rows[i];
  return nullptr;
}

// The characters of a note name read so far. Only the first 20 are kept: no
// name is longer than 4, so a longer run matches nothing either way.
struct NoteToken {
  char text[kNoteTokenMax + 1] = {};
  int length = 0;
  int start = -1;  // where its first character stands in the melody text

  void Add(char c, int position) {
    if (start < 0) start = position;
    if (length < kNoteTokenMax) {
      text[length++] = c;
      text[length] = '\0';
    }
  }
  void Clear() {
    length = 0;
    text[0] = '\0';
    start = -1;
  }
};

// Reads the duration token that begins with the "(" at position from: up to
// and including ")", spaces left out, at most 10 characters, never past the
// end. Returns the position after the last character looked at.
int ReadDurationToken(const char* text, int length, int from, char (&token)[kDurationTokenMax + 1]) {
  int count = 0;
  int i = from;
  while (i < length && count < kDurationTokenMax) {
    char c = text[i++];
    if (c == ' ') continue;
    token[count++] = c;
    if (c == ')') break;
  }
  token[count] = '\0';
  return i;
}

}  // namespace

int MelodySet::DecodeToBuffer(int k, const char* text, EncodeObserver* observer) {
  if (k < 0 || k >= kMelodyCount) {
    LogError("DecodeToBuffer(%d),error code: %d", k, sys::LastError());
    return -1;
  }
  if (!text) return 1;
  uint8_t* slot = image_ + kSlotSize * (kMelodyCount - 1 - k);
  if (*text == '\0') {
    slot[0] = kEmptySlotMark;  // the rest of the slot keeps what it held
    return 2;
  }

  PutU16(slot, static_cast<uint16_t>(kFirstHeaderWord + k));
  int write = kHeaderSize;
  int events = 0;
  const int length = static_cast<int>(strlen(text));
  NoteToken note;
  for (int i = 0; i < length;) {
    if (text[i] == ' ') {
      note.Clear();
      ++i;
      continue;
    }
    if (text[i] != '(') {
      note.Add(text[i], i);
      ++i;
      continue;
    }

    if (events == kMaxEventsPerSlot) {
      // The slot holds no more: keep what fits, so nothing past it is touched.
      int droppedFrom = note.start >= 0 ? note.start : i;
      LogError("DecodeToBuffer(%d), more than %d notes: cut before position %d,error code: %d", k,
               kMaxEventsPerSlot, droppedFrom, sys::LastError());
      if (observer) observer->OnTruncated(k, events, droppedFrom);
      break;
    }

    char duration[kDurationTokenMax + 1];
    const int durationStart = i;
    const int durationEnd = ReadDurationToken(text, length, i, duration);
    const NoteRow* noteRow = FindNote(note.text);
    const DurationRow* durationRow = FindDuration(duration);
    uint32_t ticks = 0;
    if (durationRow) {
      uint16_t& tempo = MelodyTempo(k);
      if (tempo == 0) tempo = 1;  // stored back, as the tempo actually used
      ticks = ScaledDuration(durationRow->base, tempo);
      if (ticks > 0xFFFF) ticks = 0xFFFF;  // longer than a word holds: the longest note
    }
    uint16_t toneCode = 0;
    if (!noteRow || !durationRow || ticks == 0) {
      LogMessage("Warring: Note and Tone: %s%s", note.text, duration);
      if (observer) observer->OnPlaceholder(k, note.text, duration, note.start, durationStart);
      toneCode = kPlaceholderToneCode;
      ticks = kPlaceholderDuration;
    } else {
      toneCode = noteRow->toneCode;
    }
    PutU16(slot + write, toneCode);
    PutU16(slot + write + 2, static_cast<uint16_t>(ticks));
    write += kEventSize;
    ++events;

    note.Clear();
    i = durationEnd + 1;  // the character right after the token is passed over
  }
  memcpy(slot + write, kTerminator, sizeof kTerminator);
  return 0;
}
