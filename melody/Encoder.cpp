// DecodeToBuffer: one melody's note text into its slot of the block image.
#include <cstring>

#include "diag/ErrorLog.h"
#include "melody/DurationTable.h"
#include "melody/MelodySet.h"
#include "melody/NoteTable.h"
#include "melody/SlotFormat.h"
#include "sys/SystemInfo.h"

namespace {

constexpr int kNoteTokenMax = 20;

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

}  // namespace

int MelodySet::DecodeToBuffer(int k, const char* text, EncodeObserver* observer) {
  if (k < 0 || k >= kMelodyCount) {
    LogError("DecodeToBuffer(%d),error code: %d", k, sys::LastError());
    return -1;
  }
  if (!text) return 1;
  uint8_t* slot = image_ + SlotOffset(k);
  if (*text == '\0') {
    slot[0] = kEmptySlotMark;  // the rest of the slot keeps what it held
    return 2;
  }

  PutU16(slot, SlotHeader(k));
  int write = kSlotHeaderSize;
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
    uint16_t ticks = 0;
    if (durationRow) {
      uint16_t& tempo = MelodyTempo(k);
      if (tempo == 0) tempo = 1;  // stored back, as the tempo actually used
      ticks = StoredDuration(durationRow->base, tempo);
    }
    NoteEvent event = {kPlaceholderToneCode, kPlaceholderDuration};
    if (!noteRow || !durationRow || ticks == 0) {
      // "Warring" as it has always been spelt: logs kept from earlier runs
      // and users' scripts search for it.
      LogMessage("Warring: Note and Tone: %s%s", note.text, duration);
      if (observer) observer->OnPlaceholder(k, note.text, duration, note.start, durationStart);
    } else {
      event = {noteRow->toneCode, ticks};
    }
    PutEvent(slot + write, event);
    write += kEventSize;
    ++events;

    note.Clear();
    i = durationEnd + 1;  // the character right after the token is passed over
  }
  memcpy(slot + write, kSlotTerminator, kSlotTerminatorSize);
  return 0;
}
