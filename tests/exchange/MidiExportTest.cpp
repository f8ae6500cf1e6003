#include "exchange/MidiExport.h"

#include <map>

#include "exchange/MidiFile.h"
#include "melody/NoteTable.h"
#include "tests/exchange/ExchangeTestSupport.h"

using namespace exchange_testing;

namespace {

// What a minimal reader of Standard MIDI Files makes of one: the header,
// each track's name, the tempo, and the notes with their times in
// milliseconds.
struct ReadNote {
  int key;
  double startMs, lengthMs;
  bool operator==(const ReadNote& o) const { return key == o.key && startMs == o.startMs && lengthMs == o.lengthMs; }
};

struct ReadSong {
  int format = -1, tracks = 0, division = 0;
  uint32_t tempo = 500000;
  std::vector<std::string> names;
  std::vector<std::vector<ReadNote>> notes;  // per track
  std::string error;
};

class Reader {
 public:
  explicit Reader(const std::string& bytes) : bytes_(bytes) {}
  bool More() const { return at_ < bytes_.size(); }
  uint32_t Big(int size) {
    uint32_t value = 0;
    while (size--) value = (value << 8) | Byte();
    return value;
  }
  uint32_t Variable() {
    uint32_t value = 0;
    uint8_t byte;
    do value = (value << 7) | ((byte = Byte()) & 0x7F);
    while (byte & 0x80);
    return value;
  }
  uint8_t Byte() { return at_ < bytes_.size() ? static_cast<uint8_t>(bytes_[at_++]) : 0; }
  std::string Text(size_t size) {
    std::string text = bytes_.substr(at_, size);
    at_ += size;
    return text;
  }

 private:
  std::string bytes_;
  size_t at_ = 0;
};

ReadSong Read(const std::string& file) {
  ReadSong song;
  Reader reader(file);
  if (reader.Text(4) != "MThd" || reader.Big(4) != 6) return song.error = "no header", song;
  song.format = static_cast<int>(reader.Big(2));
  song.tracks = static_cast<int>(reader.Big(2));
  song.division = static_cast<int>(reader.Big(2));
  std::vector<std::vector<std::pair<uint32_t, std::vector<uint8_t>>>> events;  // per track: tick, message
  while (reader.More()) {
    if (reader.Text(4) != "MTrk") return song.error = "not a track", song;
    Reader track(reader.Text(reader.Big(4)));
    song.names.emplace_back();
    events.emplace_back();
    uint32_t tick = 0;
    bool ended = false;
    while (track.More()) {
      tick += track.Variable();
      uint8_t status = track.Byte();
      if (status == 0xFF) {
        uint8_t type = track.Byte();
        std::string data = track.Text(track.Variable());
        if (type == 0x03) song.names.back() = data;
        if (type == 0x51) song.tempo = Reader(data).Big(3);
        if (type == 0x2F) ended = true;
      } else if ((status & 0xF0) == 0xC0) {
        track.Byte();
      } else {
        uint8_t key = track.Byte(), velocity = track.Byte();
        events.back().push_back({tick, {status, key, velocity}});
      }
    }
    if (!ended) return song.error = "a track without its end", song;
  }
  double msPerTick = song.tempo / 1000.0 / song.division;
  for (const auto& track : events) {
    song.notes.emplace_back();
    std::map<int, uint32_t> sounding;
    for (const auto& event : track) {
      int key = event.second[1];
      bool on = (event.second[0] & 0xF0) == 0x90 && event.second[2] > 0;
      if (on) sounding[key] = event.first;
      else if (sounding.count(key)) {
        song.notes.back().push_back({key, sounding[key] * msPerTick, (event.first - sounding[key]) * msPerTick});
        sounding.erase(key);
      }
    }
  }
  return song;
}

}  // namespace

TEST(MidiExport, EachEventLastsWhatRenderPlaysItForAtItsNearestKey) {
  const uint16_t P = kPauseToneCode;
  ExportedMidi midi = MelodiesToMidi({{1, {{440, 496}, {522, 248}, {P, 248}, {466, 1984}}},
                                      {3, {{P, 31}, {261, 15}, {63232, 62}}}});
  ReadSong song = Read(midi.bytes);
  ASSERT_EQ(song.error, "");
  EXPECT_EQ(song.format, 1);
  EXPECT_EQ(song.tracks, 3);
  EXPECT_EQ(song.names, (std::vector<std::string>{"", "Melody 1", "Melody 3"}));
  EXPECT_EQ(song.division, 496);  // the first melody's quarter note, (1/4) at tempo 128
  EXPECT_EQ(song.tempo, 496000u);
  EXPECT_EQ(song.notes[1], (std::vector<ReadNote>{{69, 0, 496}, {72, 496, 248}, {70, 992, 1984}}));
  // H8 (155) lies above MIDI's keys: the melody moves down as a whole, C1 (60) with it.
  EXPECT_EQ(song.notes[2], (std::vector<ReadNote>{{24, 31, 15}, {119, 46, 62}}));
  EXPECT_EQ(midi.notices, (std::vector<std::string>{"melody 3: MIDI's keys end at G9 (12544 Hz): the whole melody is moved down 3 octaves"}));
}
