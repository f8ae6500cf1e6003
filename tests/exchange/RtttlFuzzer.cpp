// Any bytes as an RTTTL ringtone: the reader takes them or says why not,
// never more; what it takes imports into at most 149 events that all sound
// (no duration of 0), each note at its ringtone pitch moved by whole
// octaves, within 5 cents of equal temperament; and the melody exports to a
// ringtone the reader takes back.
#include <cstdlib>
#include <string>

#include "exchange/Pitch.h"
#include "exchange/Rtttl.h"
#include "exchange/RtttlExport.h"
#include "exchange/RtttlImport.h"
#include "melody/NoteTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RtttlTune tune;
  std::string error;
  if (!ParseRtttl(std::string(reinterpret_cast<const char*>(data), size), &tune, &error)) {
    if (error.empty()) abort();
    return 0;
  }
  ImportedMelody melody = ConvertRtttl(tune);
  if (melody.events.empty() || melody.events.size() > static_cast<size_t>(kMaxEventsPerSlot)) abort();
  size_t event = 0, pitched = 0;
  for (int i = 0; i < melody.notes; ++i) {
    const RtttlNote& note = tune.notes[static_cast<size_t>(i)];
    const bool pause = note.letter == 'p';
    for (int part = 0; part < (note.dotted ? 2 : 1); ++part, ++event) {
      const NoteEvent& e = melody.events.at(event);
      const TonePitch pitch = PitchOfTone(e.toneCode);
      if (e.duration == 0 || pause != (e.toneCode == kPauseToneCode)) abort();
      if (!pause && (std::abs(pitch.cents) > 5 || pitch.pitch - RtttlPitch(note) !=
                                                      melody.octaves.moves.at(pitched) * kSemitonesPerOctave))
        abort();
    }
    pitched += !pause;
  }
  RtttlTune back;
  if (event != melody.events.size() || !ParseRtttl(EventsToRtttl(melody.events, tune.name).text, &back, &error))
    abort();
  return 0;
}
