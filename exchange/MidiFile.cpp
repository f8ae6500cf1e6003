#include "exchange/MidiFile.h"

#include <algorithm>

#include "exchange/MidiFormat.h"

namespace {

using namespace midi;

constexpr uint8_t kReleaseVelocity = 64;

void AppendBig(std::string* bytes, uint32_t value, int size) {
  for (int shift = 8 * (size - 1); shift >= 0; shift -= 8) bytes->push_back(static_cast<char>((value >> shift) & 0xFF));
}

// A variable-length quantity: seven bits a byte, the high bit set on all
// but the last.
void AppendVariable(std::string* bytes, uint32_t value) {
  char groups[5];
  int count = 0;
  do {
    groups[count++] = static_cast<char>(value & 0x7F);
    value >>= 7;
  } while (value);
  while (count-- > 1) bytes->push_back(static_cast<char>(groups[count] | 0x80));
  bytes->push_back(groups[0]);
}

void AppendMeta(std::string* track, uint8_t type, const std::string& data) {
  AppendVariable(track, 0);
  track->push_back(static_cast<char>(kMeta));
  track->push_back(static_cast<char>(type));
  AppendVariable(track, static_cast<uint32_t>(data.size()));
  *track += data;
}

std::string Chunk(const char* type, const std::string& data) {
  std::string chunk(type);
  AppendBig(&chunk, static_cast<uint32_t>(data.size()), 4);
  return chunk + data;
}

struct Message {
  uint32_t tick;
  int order;  // at one tick: the offs of notes that sounded, then the ons, then the offs of notes of no length
  bool on;
  uint8_t key, velocity;
};

std::string TrackData(const MidiTrack& track) {
  std::string data;
  AppendMeta(&data, kMetaTrackName, track.name);
  AppendVariable(&data, 0);
  data.push_back(static_cast<char>(kProgramChange | (track.channel & kChannelMask)));
  data.push_back(static_cast<char>(track.program & 0x7F));
  std::vector<Message> messages;
  for (const MidiNote& note : track.notes) {
    messages.push_back({note.start, 1, true, note.key, note.velocity});
    messages.push_back({note.start + note.length, note.length ? 0 : 2, false, note.key, kReleaseVelocity});
  }
  std::stable_sort(messages.begin(), messages.end(), [](const Message& a, const Message& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
  });
  uint32_t now = 0;
  for (const Message& message : messages) {
    AppendVariable(&data, message.tick - now);
    now = message.tick;
    data.push_back(static_cast<char>((message.on ? kNoteOn : kNoteOff) | (track.channel & kChannelMask)));
    data.push_back(static_cast<char>(message.key & 0x7F));
    data.push_back(static_cast<char>(message.velocity & 0x7F));
  }
  AppendMeta(&data, kMetaEndOfTrack, "");
  return data;
}

}  // namespace

std::string MidiFileBytes(const MidiSong& song) {
  std::string header;
  AppendBig(&header, kFormatOne, 2);
  AppendBig(&header, static_cast<uint32_t>(song.tracks.size() + 1), 2);
  AppendBig(&header, song.ticksPerQuarter, 2);
  std::string tempo;
  std::string micros;
  AppendBig(&micros, song.microsPerQuarter, 3);
  AppendMeta(&tempo, kMetaTempo, micros);
  AppendMeta(&tempo, kMetaTimeSignature, std::string("\x04\x02\x18\x08", 4));  // 4/4, a click each quarter
  AppendMeta(&tempo, kMetaEndOfTrack, "");
  std::string file = Chunk(kHeaderChunk, header) + Chunk(kTrackChunk, tempo);
  for (const MidiTrack& track : song.tracks) file += Chunk(kTrackChunk, TrackData(track));
  return file;
}
