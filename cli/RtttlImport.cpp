#include "cli/RtttlImport.h"

#include <cstdlib>

#include "melody/DurationTable.h"
#include "melody/SlotFormat.h"

namespace {

constexpr int kOctaveShift = 3;
constexpr int kLowestOctave = 1;
constexpr int kHighestOctave = 8;
constexpr int kMaxDividingTempo = 65280;  // 256 * 255

std::string NoteName(char letter, bool sharp) {
  switch (letter) {
    case 'c': return sharp ? "Cis" : "C";
    case 'd': return sharp ? "Dis" : "D";
    case 'e': return "E";
    case 'f': return sharp ? "Fis" : "F";
    case 'g': return sharp ? "Gis" : "G";
    case 'a': return sharp ? "Ais" : "A";
    default: return "H";
  }
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string Describe(const RtttlNote& note, int number) {
  std::string text = "note " + std::to_string(number) + " (line " + std::to_string(note.line) +
                     ", column " + std::to_string(note.column) + ", ";
  text += note.letter == 'p' ? "a pause" : std::string(1, note.letter) + (note.sharp ? "#" : "");
  return text + ")";
}

}  // namespace

uint16_t QuarterNoteMs(uint16_t tempo) { return StoredDuration(FindDuration("(1/4)")->base, tempo); }

uint16_t WholeNoteMs(uint16_t tempo) { return StoredDuration(FindDuration("(1/1)")->base, tempo); }

uint16_t TempoForBeats(int beats) {
  // Compared as |quarter * beats - 60000| to stay in whole numbers. Tempos
  // that divide can share a quarter note once it is rounded down; among
  // those, the one whose whole note comes nearest wins.
  uint16_t best = 0;
  long bestDistance = -1, bestWholeDistance = -1;
  auto consider = [&](int tempo) {
    long distance = std::labs(static_cast<long>(QuarterNoteMs(static_cast<uint16_t>(tempo))) * beats - 60000L);
    long wholeDistance = std::labs(static_cast<long>(WholeNoteMs(static_cast<uint16_t>(tempo))) * beats - 240000L);
    if (bestDistance < 0 || distance < bestDistance ||
        (distance == bestDistance && wholeDistance < bestWholeDistance)) {
      best = static_cast<uint16_t>(tempo);
      bestDistance = distance;
      bestWholeDistance = wholeDistance;
    }
  };
  for (int tempo = 256; tempo >= 1; --tempo) consider(tempo);
  for (int tempo = 512; tempo <= kMaxDividingTempo; tempo += 256) consider(tempo);
  return best;
}

ImportedMelody ConvertRtttl(const RtttlTune& tune) {
  ImportedMelody melody;
  melody.tempo = TempoForBeats(tune.beats);
  int count = static_cast<int>(tune.notes.size());
  if (count > kMaxEventsPerSlot)
    melody.notices.push_back("the ringtone has " + std::to_string(count) + " notes; the phone holds " +
                             std::to_string(kMaxEventsPerSlot) + ", so it is cut after " +
                             Describe(tune.notes[kMaxEventsPerSlot - 1], kMaxEventsPerSlot));
  for (int i = 0; i < count && i < kMaxEventsPerSlot; ++i) {
    const RtttlNote& note = tune.notes[static_cast<size_t>(i)];
    std::string duration = "(1/" + std::to_string(note.duration) + ")";
    std::string name;
    if (note.letter == 'p') {
      name = "P";
    } else {
      int octave = note.octave - kOctaveShift;
      int kept = octave < kLowestOctave ? kLowestOctave : octave > kHighestOctave ? kHighestOctave : octave;
      name = NoteName(note.letter, note.sharp) + std::to_string(kept);
      if (kept != octave)
        melody.notices.push_back(Describe(note, i + 1) + " in RTTTL octave " + std::to_string(note.octave) +
                                 " lies outside octaves " + std::to_string(kLowestOctave + kOctaveShift) +
                                 " to " + std::to_string(kHighestOctave + kOctaveShift) +
                                 "; written as " + name);
    }
    if (note.dotted)
      melody.notices.push_back(Describe(note, i + 1) + " is dotted, which a melody cannot express; written as " +
                               name + duration + " without the dot");
    if (i) melody.text += ' ';
    melody.text += name + duration;
    ++melody.notes;
  }
  // A very fast ringtone can make short notes shorter than the phone counts.
  for (int d = 1; d <= 32; d *= 2) {
    std::string token = "(1/" + std::to_string(d) + ")";
    if (ScaledDuration(FindDuration(token.c_str())->base, melody.tempo) == 0 && Contains(melody.text, token))
      melody.notices.push_back("at tempo " + std::to_string(melody.tempo) + " a " + token +
                               " note comes out as 0 long; the encoder makes it a silence of 31");
  }
  return melody;
}
