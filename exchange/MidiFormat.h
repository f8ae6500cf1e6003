#pragma once
// The Standard MIDI File's own numbers, shared by the reader and the writer.
#include <cstdint>

namespace midi {

constexpr char kHeaderChunk[] = "MThd";
constexpr char kTrackChunk[] = "MTrk";
constexpr uint32_t kHeaderLength = 6;  // format, track count, time division
constexpr uint16_t kFormatOne = 1;
constexpr uint32_t kDefaultMicrosPerQuarter = 500000;  // 120 beats a minute, until a tempo event says otherwise

// A status byte's high nibble; the low one is the channel.
constexpr uint8_t kKindMask = 0xF0, kChannelMask = 0x0F;
constexpr uint8_t kNoteOff = 0x80, kNoteOn = 0x90, kProgramChange = 0xC0, kChannelPressure = 0xD0;
constexpr uint8_t kSysexStart = 0xF0, kSysexContinued = 0xF7, kMeta = 0xFF;

constexpr uint8_t kMetaTrackName = 0x03, kMetaInstrument = 0x04, kMetaEndOfTrack = 0x2F, kMetaTempo = 0x51,
                  kMetaTimeSignature = 0x58;

}  // namespace midi
