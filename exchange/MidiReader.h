#pragma once
// Standard MIDI Files, read: formats 0 and 1 (a format 2 file holds
// independent songs and is refused), every track's notes paired from their
// note-ons and note-offs, the tempo map from every track, and the names a
// track gives itself. Every length and offset is checked against the file:
// a damaged file gets a message with the byte offset where it goes wrong,
// never a read past its end.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ReadNote {
  uint32_t startTick, endTick;  // absolute
  uint8_t channel;              // 0..15; 9 is the General MIDI drum channel
  uint8_t key, velocity;
};

struct ReadTrack {
  std::string name;        // the first track name, as its bytes stand
  std::string instrument;  // the first instrument name
  std::vector<uint8_t> programs;  // program changes, in order
  std::vector<ReadNote> notes;    // by start, then in the order they began
};

struct TempoChange {
  uint32_t tick;
  uint32_t microsPerQuarter;
};

struct MidiFileContents {
  int format = 0;
  uint16_t ticksPerQuarter = 0;   // 0 for a file timed in SMPTE frames
  uint32_t microsPerTick = 0;     // a file timed in SMPTE frames: fixed
  std::vector<TempoChange> tempos;  // by tick; none means 500000 (120 a minute)
  std::vector<ReadTrack> tracks;    // every track chunk, in file order

  // Microseconds from the start to a tick, by the tempo map.
  int64_t MicrosAt(uint32_t tick) const;
};

// False with a message ("at byte 1234: ...") for a file that is not a whole
// format 0 or 1 MIDI file. Notes a file never switches off end with their
// track; a note-off with nothing sounding is passed over, as players do.
bool ReadMidiFile(const uint8_t* bytes, size_t size, MidiFileContents* contents, std::string* error);
