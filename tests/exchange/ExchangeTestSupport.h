#pragma once
// Reading ringtones, melodies made at random, and Standard MIDI Files made
// byte by byte for the exchange tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>

#include "exchange/MidiReader.h"
#include "exchange/Pitch.h"
#include "exchange/Rtttl.h"
#include "exchange/RtttlImport.h"
#include "exchange/TempoFit.h"
#include "melody/DurationTable.h"
#include "melody/NoteTable.h"

namespace exchange_testing {

inline ImportedMelody Imported(const std::string& rtttl) {
  RtttlTune tune;
  std::string error;
  EXPECT_TRUE(ParseRtttl(rtttl, &tune, &error)) << rtttl << ": " << error;
  return ConvertRtttl(tune);
}

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A melody an export writes and its import reads back as it was: tones of
// the note names in octaves 1 to `octaves`, durations (1/1) to the
// `durations`th halving at a tempo from 15 to 256 (slower, a whole note
// lasts so long that the nearest whole beat a minute no longer tells the
// tempo). MIDI has rests rather than pauses: there they only fall between
// notes, never two together.
inline std::vector<NoteEvent> Expressible(std::mt19937& random, int octaves, int durations, bool pausesBetween) {
  const uint16_t tempo = static_cast<uint16_t>(15 + random() % 242);
  std::vector<NoteEvent> events(1 + random() % kMaxEventsPerSlot);
  for (size_t i = 0; i < events.size(); ++i) {
    const int pitch = kLowestMelodyPitch + static_cast<int>(random() % (octaves * kSemitonesPerOctave));
    const bool between = i > 0 && i + 1 < events.size() && events[i - 1].toneCode != kPauseToneCode;
    const bool pause = (between || !pausesBetween) && random() % 7 == 0;
    events[i].toneCode = pause ? kPauseToneCode : FindNote(MelodyNoteName(pitch).c_str())->toneCode;
    events[i].duration = StoredDuration(TokenForDenominator(1 << (random() % durations))->base, tempo);
  }
  return events;
}

inline std::string Shown(const std::vector<NoteEvent>& events) {
  std::string text;
  for (const NoteEvent& e : events) text += std::to_string(e.toneCode) + "/" + std::to_string(e.duration) + " ";
  return text;
}

inline std::string Bytes(std::initializer_list<int> values) { return std::string(values.begin(), values.end()); }

inline std::string BigEndian(uint32_t value, int size) {
  return size ? BigEndian(value >> 8, size - 1) + static_cast<char>(value & 0xFF) : "";
}

inline std::string Chunk(const char* type, const std::string& data) { return type + BigEndian(data.size(), 4) + data; }

// The header chunk; division is ticks a quarter note, or 0x8000 and above
// for frames.
inline std::string Header(int format, int tracks, uint16_t division) {
  return Chunk("MThd", BigEndian(format, 2) + BigEndian(tracks, 2) + BigEndian(division, 2));
}

// A track chunk of the events given, with its end of track.
inline std::string Track(const std::string& events) { return Chunk("MTrk", events + Bytes({0x00, 0xFF, 0x2F, 0x00})); }

// A format 0 file of the events given, 96 ticks a quarter note.
inline std::string OneTrack(const std::string& events) { return Header(0, 1, 96) + Track(events); }

// A tempo meta event after delta ticks (delta below 128).
inline std::string Tempo(int delta, uint32_t microsPerQuarter) {
  return Bytes({delta, 0xFF, 0x51, 0x03}) + BigEndian(microsPerQuarter, 3);
}

inline MidiFileContents Read(const std::string& file) {
  MidiFileContents contents;
  std::string error;
  EXPECT_TRUE(ReadMidiFile(reinterpret_cast<const uint8_t*>(file.data()), file.size(), &contents, &error)) << error;
  return contents;
}

// "name: start-end channel key/velocity, ...; ..." per track, channels
// counted from 1.
inline std::string Notes(const MidiFileContents& contents) {
  std::string text;
  for (const ReadTrack& track : contents.tracks) {
    text += (text.empty() ? "" : "; ") + track.name + ":";
    for (const ReadNote& n : track.notes)
      text += " " + std::to_string(n.startTick) + "-" + std::to_string(n.endTick) + " c" +
              std::to_string(n.channel + 1) + " " + std::to_string(n.key) + "/" + std::to_string(n.velocity);
  }
  return text;
}

}  // namespace exchange_testing
