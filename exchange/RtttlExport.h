#pragma once
// A melody's note events as an RTTTL ringtone: the way back from
// exchange/RtttlImport.h.
#include <string>
#include <vector>

#include "melody/SlotFormat.h"

struct ExportedRtttl {
  std::string text;                  // "name:d=8,o=5,b=121:c,4d,e.,p"
  int beats = 0;                     // the b= chosen
  std::vector<std::string> notices;  // what does not come back as it was
};

// Each tone as the RTTTL note at its pitch (a tone no note has as the
// nearest, reported); octaves beyond RTTTL's one digit move the whole melody
// as exchange/OctaveShift.h does (reported). b and each duration's note
// value are chosen so that importing the ringtone gives back the same
// durations, where RTTTL can say them; two events of one tone that a
// dotted note gives are written as that dotted note. d= and o= are the most
// common duration and octave, so that most notes need neither. Events whose
// duration does not come back are reported. name loses its colons and
// control characters. The events must not be empty.
ExportedRtttl EventsToRtttl(const std::vector<NoteEvent>& events, const std::string& name);
