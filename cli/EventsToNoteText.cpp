#include "cli/EventsToNoteText.h"

#include "melody/DurationTable.h"
#include "melody/NoteTable.h"

DecodedMelody EventsToNoteText(const std::vector<NoteEvent>& events, uint16_t tempo) {
  DecodedMelody melody;
  if (events.empty()) melody.text = kNoNotesText;
  for (size_t i = 0; i < events.size(); ++i) {
    const NoteEvent& event = events[i];
    std::string number = "event " + std::to_string(i + 1) + ": ";
    const NoteRow* note = FirstNoteWithTone(event.toneCode);
    if (!note) {
      note = &NearestNote(event.toneCode);
      melody.notices.push_back(number + "tone " + std::to_string(event.toneCode) +
                               " is no note's; written as the nearest, " + note->name + " (" +
                               std::to_string(note->toneCode) + ")");
    }
    bool exact = false;
    const DurationRow& duration = NearestDuration(event.duration, tempo, &exact);
    if (!exact)
      melody.notices.push_back(number + "duration " + std::to_string(event.duration) +
                               " has no token at tempo " + std::to_string(tempo) +
                               "; written as the nearest, " + duration.token + " (" +
                               std::to_string(StoredDuration(duration.base, tempo)) + ")");
    if (i) melody.text += ' ';
    melody.text += note->name;
    melody.text += duration.token;
  }
  return melody;
}
