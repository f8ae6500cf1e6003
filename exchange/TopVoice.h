#pragma once
// One tone at a time from notes that may overlap, as a phone that plays one
// tone must play a part written for several: at every moment the highest
// note sounding is heard (the usual top-voice reduction), and silence
// between notes is a pause. Whatever would be heard for no more than a
// tolerance (the tick or two by which a converted or performed file misses
// the next note, the last ticks of a note held into the next) goes to what
// sounds before it, so that it becomes neither a pause nor a note.
#include <cstdint>
#include <vector>

struct VoiceNote {
  uint32_t start, end;  // in ticks; a note of no length is never heard
  int key;
};

struct VoiceRun {
  uint32_t start, end;  // in ticks; each run begins where the one before it ends
  int note;             // the index of the note heard, -1 for a pause
};

// The runs from the first note heard to the end of the last: never a pause
// first or last, never two runs of one note side by side. A key struck
// again while it still sounds is heard from the new stroke on.
std::vector<VoiceRun> TopVoice(const std::vector<VoiceNote>& notes, uint32_t tolerance);

// The most notes sounding at once, a note's last tolerance ticks not
// counted (an overlap that small is a performer's legato, not a chord).
int MostAtOnce(const std::vector<VoiceNote>& notes, uint32_t tolerance);
