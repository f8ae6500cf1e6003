#pragma once
// An RTTTL ringtone as a melody's note text and tempo.
#include <cstdint>
#include <string>
#include <vector>

#include "exchange/Rtttl.h"
#include "exchange/TuneToMelody.h"

// Each note at its pitch (RTTTL's octave o is the melody's o - 3), made
// into a melody as exchange/TuneToMelody.h does: moved by octaves when
// notes fall outside the melody's octaves 1 to 8, the tempo and tokens
// fitted to b, a dotted note as the note and its half, cut past 149
// events. The notices say so in RTTTL's terms, and name the notes read as
// another letter's (e#, b#) and the settings ignored.
ImportedMelody ConvertRtttl(const RtttlTune& tune);

// RTTTL's whole note (four beats) at b beats a minute, in microseconds.
int64_t RtttlWholeNoteMicros(int beats);
