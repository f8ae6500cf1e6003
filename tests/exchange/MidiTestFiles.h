#pragma once
// Standard MIDI Files made byte by byte for the reader's and the
// importer's tests, and what the reader makes of them.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "exchange/MidiReader.h"

namespace exchange_testing {

inline std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int value : values) bytes.push_back(static_cast<char>(value));
  return bytes;
}

inline std::string BigEndian(uint32_t value, int size) {
  std::string bytes;
  for (int shift = 8 * (size - 1); shift >= 0; shift -= 8) bytes.push_back(static_cast<char>(value >> shift & 0xFF));
  return bytes;
}

inline std::string Chunk(const char* type, const std::string& data) {
  return type + BigEndian(static_cast<uint32_t>(data.size()), 4) + data;
}

// The header chunk; division is ticks a quarter note, or 0x8000 and above
// for frames.
inline std::string Header(int format, int tracks, uint16_t division) {
  return Chunk("MThd", BigEndian(static_cast<uint32_t>(format), 2) + BigEndian(static_cast<uint32_t>(tracks), 2) +
                           BigEndian(division, 2));
}

// A track chunk of the events given, with its end of track.
inline std::string Track(const std::string& events) { return Chunk("MTrk", events + Bytes({0x00, 0xFF, 0x2F, 0x00})); }

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

}  // namespace exchange_testing
