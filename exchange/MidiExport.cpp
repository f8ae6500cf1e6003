#include "exchange/MidiExport.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include "exchange/BeatFit.h"
#include "exchange/MidiFile.h"
#include "exchange/OctaveShift.h"
#include "exchange/Pitch.h"
#include "base/Wording.h"
#include "melody/NoteTable.h"

namespace {

constexpr int kLowestKey = 0;
constexpr int kHighestKey = 127;
constexpr int kCentsNoted = 10;  // the note table's tones lie within 5
constexpr int kUsualQuarterMs = 500;
constexpr int kMillisPerMinute = 60000;
// One tick a millisecond: the tempo in microseconds is the division times
// 1000, which the tempo's three bytes hold up to this division.
constexpr int kLongestQuarterMs = static_cast<int>(kMidiLargestTempo / 1000);

std::string KeyName(int key) {
  std::string name = RtttlLetters(key);
  name[0] = static_cast<char>(name[0] - 'a' + 'A');
  return name + std::to_string(RtttlOctave(key));
}

MidiTrack Track(const MidiExportMelody& melody, std::vector<std::string>* notices) {
  const std::string prefix = "melody " + std::to_string(melody.number) + ": ";
  MidiTrack track = {"Melody " + std::to_string(melody.number), static_cast<uint8_t>(melody.number - 1),
                     kMidiSquareLead, {}};
  std::vector<int> keys;
  std::map<uint16_t, int> offTones;  // tone -> events
  for (const NoteEvent& event : melody.events) {
    if (event.toneCode == kPauseToneCode) continue;
    TonePitch pitch = PitchOfTone(event.toneCode);
    keys.push_back(pitch.pitch);
    if (std::abs(pitch.cents) > kCentsNoted) offTones[event.toneCode]++;
  }
  for (const auto& tone : offTones) {
    TonePitch pitch = PitchOfTone(tone.first);
    notices->push_back(prefix + "tone " + std::to_string(tone.first) + " (" + Counted(tone.second, "event") +
                       ") lies " + std::to_string(std::abs(pitch.cents)) + " cents " + (pitch.cents > 0 ? "above " : "below ") +
                       KeyName(pitch.pitch) + ", the key it is written as");
  }
  OctavePlan plan = PlanOctaves(keys, kLowestKey, kHighestKey);
  if (plan.shift)
    notices->push_back(prefix + "MIDI's keys end at G9 (12544 Hz): the whole melody is moved " +
                       (plan.shift > 0 ? "up " : "down ") + Counted(std::abs(plan.shift), "octave"));
  if (plan.movedAlone)
    notices->push_back(prefix + Counted(plan.movedAlone, "note") + " beyond MIDI's keys " +
                       (plan.movedAlone == 1 ? "moves" : "move") + " to the nearest octave within them");
  uint32_t now = 0;
  size_t k = 0;
  for (const NoteEvent& event : melody.events) {
    if (event.toneCode != kPauseToneCode) {
      int key = keys[k] + plan.moves[k] * kSemitonesPerOctave;
      ++k;
      track.notes.push_back({now, event.duration, static_cast<uint8_t>(key), kMidiVelocity});
    }
    now += event.duration;
  }
  return track;
}

}  // namespace

ExportedMidi MelodiesToMidi(const std::vector<MidiExportMelody>& melodies) {
  ExportedMidi exported;
  exported.quarterMs = kUsualQuarterMs;
  if (!melodies.empty()) {
    std::vector<uint16_t> durations;
    for (const NoteEvent& event : melodies[0].events) durations.push_back(event.duration);
    std::vector<int> beats = BeatsByFit(durations);
    if (!beats.empty()) exported.quarterMs = std::max(1, (kMillisPerMinute + beats[0] / 2) / beats[0]);
  }
  exported.quarterMs = std::min(exported.quarterMs, kLongestQuarterMs);
  MidiSong song = {static_cast<uint16_t>(exported.quarterMs), static_cast<uint32_t>(exported.quarterMs) * 1000, {}};
  for (const MidiExportMelody& melody : melodies) song.tracks.push_back(Track(melody, &exported.notices));
  exported.bytes = MidiFileBytes(song);
  return exported;
}
