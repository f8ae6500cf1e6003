#include "exchange/MidiReader.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>

#include "exchange/MidiFormat.h"

namespace {

using namespace midi;

// Reads a range of the file: big-endian numbers and the format's
// variable-length numbers. A read past the range's end fails and so does
// every read after it, so a caller checks once, where it can say what was
// cut short.
class Cursor {
 public:
  Cursor(const uint8_t* bytes, size_t begin, size_t end) : bytes_(bytes), at_(begin), end_(end) {}

  bool Ok() const { return ok_; }
  bool AtEnd() const { return at_ >= end_; }
  size_t Offset() const { return at_; }
  size_t Left() const { return end_ - at_; }

  uint8_t Byte() {
    if (!ok_ || at_ >= end_) return Fail();
    return bytes_[at_++];
  }
  uint8_t Peek() const { return ok_ && at_ < end_ ? bytes_[at_] : 0; }
  uint32_t BigEndian(int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = value << 8 | Byte();
    return value;
  }
  // At most four bytes, seven bits each; false for a longer one.
  bool VariableLength(uint32_t* value) {
    *value = 0;
    for (int i = 0; i < 4; ++i) {
      const uint8_t byte = Byte();
      *value = *value << 7 | (byte & 0x7F);
      if (!(byte & 0x80)) return ok_;
    }
    return false;
  }
  const uint8_t* Take(uint32_t count) {
    if (!ok_ || count > Left()) return Fail(), nullptr;
    const uint8_t* taken = bytes_ + at_;
    at_ += count;
    return taken;
  }

 private:
  uint8_t Fail() {
    ok_ = false;
    return 0;
  }
  const uint8_t* bytes_;
  size_t at_, end_;
  bool ok_ = true;
};

std::string At(size_t offset) { return "at byte " + std::to_string(offset) + ": "; }

std::string Hex(unsigned value) {
  static const char kDigits[] = "0123456789ABCDEF";
  return std::string("0x") + kDigits[value >> 4 & 15] + kDigits[value & 15];
}

int DataBytesOf(uint8_t status) {
  const uint8_t kind = status & kKindMask;
  return kind == kProgramChange || kind == kChannelPressure ? 1 : 2;
}

// One track chunk, from its first event to its end of track (or its end).
class TrackReader {
 public:
  TrackReader(const uint8_t* bytes, size_t begin, size_t end, MidiFileContents* contents)
      : cursor_(bytes, begin, end), contents_(contents) {}

  bool Read(ReadTrack* track, std::string* error) {
    track_ = track;
    uint8_t status = 0;  // running status: 0 while there is none
    while (!cursor_.AtEnd()) {
      const size_t eventAt = cursor_.Offset();
      uint32_t delta = 0;
      if (!cursor_.VariableLength(&delta))
        return Fail(eventAt, cursor_.Ok() ? "a time longer than four bytes" : "the track ends inside a time", error);
      if (tick_ + delta < tick_) return Fail(eventAt, "the track runs past the longest time a file can hold", error);
      tick_ += delta;
      const size_t statusAt = cursor_.Offset();
      if (cursor_.AtEnd()) return Fail(statusAt, "the track ends after a time, with no event", error);
      // Meta events and system exclusive messages leave the running status
      // as it was, as players take it (strictly they end it).
      const uint8_t first = cursor_.Peek() & 0x80 ? cursor_.Byte() : 0;
      if (first == kMeta) {
        bool ended = false;
        if (!ReadMeta(statusAt, &ended, error)) return false;
        if (ended) break;
        continue;
      }
      if (first == kSysexStart || first == kSysexContinued) {
        uint32_t length = 0;
        if (!cursor_.VariableLength(&length) || !cursor_.Take(length))
          return Fail(statusAt, "a system exclusive message longer than the track", error);
        continue;
      }
      if (first >= 0xF0) return Fail(statusAt, "status " + Hex(first) + " has no place in a MIDI file", error);
      if (first) status = first;
      if (!status) return Fail(statusAt, "a data byte with no status before it", error);
      uint8_t data[2] = {0, 0};
      for (int i = 0; i < DataBytesOf(status); ++i) {
        const size_t dataAt = cursor_.Offset();
        data[i] = cursor_.Byte();
        if (!cursor_.Ok()) return Fail(dataAt, "the track ends inside a message", error);
        if (data[i] & 0x80) return Fail(dataAt, "data byte " + Hex(data[i]) + " is above 127", error);
      }
      ChannelMessage(status, data[0], data[1]);
    }
    CloseAllAt(tick_);
    std::stable_sort(pending_.begin(), pending_.end(),
                     [](const Begun& a, const Begun& b) { return a.note.startTick < b.note.startTick ||
                                                                 (a.note.startTick == b.note.startTick &&
                                                                  a.order < b.order); });
    for (const Begun& begun : pending_) track_->notes.push_back(begun.note);
    return true;
  }

 private:
  struct Begun {
    ReadNote note;
    size_t order;
  };

  bool ReadMeta(size_t at, bool* ended, std::string* error) {
    const uint8_t type = cursor_.Byte();
    uint32_t length = 0;
    const uint8_t* data = nullptr;
    if (!cursor_.Ok() || !cursor_.VariableLength(&length) || !(data = cursor_.Take(length)))
      return Fail(at, "a meta event longer than the track", error);
    switch (type) {
      case kMetaTempo:
        if (length != 3) return Fail(at, "a tempo of " + std::to_string(length) + " bytes (3 expected)", error);
        if (const uint32_t micros = uint32_t{data[0]} << 16 | data[1] << 8 | data[2])
          contents_->tempos.push_back(TempoChange{tick_, micros});
        break;
      case kMetaTrackName:
        if (!haveName_) track_->name.assign(reinterpret_cast<const char*>(data), length);
        haveName_ = true;
        break;
      case kMetaInstrument:
        if (!haveInstrument_) track_->instrument.assign(reinterpret_cast<const char*>(data), length);
        haveInstrument_ = true;
        break;
      case kMetaEndOfTrack: *ended = true; break;
      default: break;
    }
    return true;
  }

  void ChannelMessage(uint8_t status, uint8_t first, uint8_t second) {
    const uint8_t kind = status & kKindMask, channel = status & kChannelMask;
    if (kind == kProgramChange) track_->programs.push_back(first);
    if (kind == kNoteOn && second > 0) {
      open_[Key(channel, first)].push_back(pending_.size());
      pending_.push_back(Begun{ReadNote{tick_, tick_, channel, first, second}, pending_.size()});
    } else if (kind == kNoteOff || kind == kNoteOn) {
      // The earliest note of that key still sounding ends (first in, first out).
      std::deque<size_t>& sounding = open_[Key(channel, first)];
      if (sounding.empty()) return;
      pending_[sounding.front()].note.endTick = tick_;
      sounding.pop_front();
    }
  }

  void CloseAllAt(uint32_t tick) {
    for (auto& [key, sounding] : open_) {
      for (size_t index : sounding) pending_[index].note.endTick = tick;
      sounding.clear();
    }
  }

  static int Key(uint8_t channel, uint8_t key) { return channel << 7 | key; }

  bool Fail(size_t at, const std::string& what, std::string* error) {
    *error = At(at) + what;
    return false;
  }

  Cursor cursor_;
  MidiFileContents* contents_;
  ReadTrack* track_ = nullptr;
  uint32_t tick_ = 0;
  bool haveName_ = false, haveInstrument_ = false;
  std::vector<Begun> pending_;
  std::map<int, std::deque<size_t>> open_;
};

bool ReadHeader(Cursor& cursor, MidiFileContents* contents, uint16_t* trackCount, std::string* error) {
  const uint8_t* type = cursor.Take(4);
  if (!type || std::memcmp(type, kHeaderChunk, 4) != 0) {
    *error = "not a MIDI file: it does not begin with \"MThd\"";
    return false;
  }
  const uint32_t length = cursor.BigEndian(4);
  if (!cursor.Ok() || length < kHeaderLength || length > cursor.Left()) {
    *error = At(4) + "the header is cut short";
    return false;
  }
  const uint16_t format = static_cast<uint16_t>(cursor.BigEndian(2));
  *trackCount = static_cast<uint16_t>(cursor.BigEndian(2));
  const uint16_t division = static_cast<uint16_t>(cursor.BigEndian(2));
  cursor.Take(length - kHeaderLength);
  if (format == 2) {
    *error = At(8) + "format 2 (a song of its own in each track) is not read; formats 0 and 1 are";
    return false;
  }
  if (format > 2) {
    *error = At(8) + "unknown format " + std::to_string(format);
    return false;
  }
  contents->format = format;
  if (division & 0x8000) {
    // Timed in frames: so many frames a second, so many ticks a frame.
    const int frames = -static_cast<int8_t>(division >> 8);
    const int ticks = division & 0xFF;
    if ((frames != 24 && frames != 25 && frames != 29 && frames != 30) || ticks == 0) {
      *error = At(12) + "a time division of " + std::to_string(frames) + " frames of " + std::to_string(ticks) +
               " ticks";
      return false;
    }
    const double framesPerSecond = frames == 29 ? 29.97 : frames;
    contents->microsPerTick = static_cast<uint32_t>(1e6 / (framesPerSecond * ticks) + 0.5);
  } else if (division == 0) {
    *error = At(12) + "a time division of 0 ticks a quarter note";
    return false;
  } else {
    contents->ticksPerQuarter = division;
  }
  return true;
}

}  // namespace

int64_t MidiFileContents::MicrosAt(uint32_t tick) const {
  if (microsPerTick) return int64_t{tick} * microsPerTick;
  int64_t micros = 0;
  uint32_t from = 0, tempo = kDefaultMicrosPerQuarter;
  for (const TempoChange& change : tempos) {
    if (change.tick >= tick) break;
    micros += int64_t{change.tick - from} * tempo / ticksPerQuarter;
    from = change.tick;
    tempo = change.microsPerQuarter;
  }
  return micros + int64_t{tick - from} * tempo / ticksPerQuarter;
}

bool ReadMidiFile(const uint8_t* bytes, size_t size, MidiFileContents* contents, std::string* error) {
  *contents = MidiFileContents{};
  Cursor cursor(bytes, 0, size);
  uint16_t trackCount = 0;
  if (!ReadHeader(cursor, contents, &trackCount, error)) return false;
  while (cursor.Left() >= 8) {
    const size_t chunkAt = cursor.Offset();
    const uint8_t* type = cursor.Take(4);
    const uint32_t length = cursor.BigEndian(4);
    if (length > cursor.Left()) {
      *error = At(chunkAt) + "the chunk says " + std::to_string(length) + " bytes, " +
               std::to_string(cursor.Left()) + " follow";
      return false;
    }
    const size_t begin = cursor.Offset();
    cursor.Take(length);
    if (std::memcmp(type, kTrackChunk, 4) != 0) continue;  // a chunk of another kind: not ours to read
    contents->tracks.emplace_back();
    TrackReader reader(bytes, begin, begin + length, contents);
    if (!reader.Read(&contents->tracks.back(), error)) return false;
  }
  if (contents->tracks.size() < trackCount) {
    *error = At(cursor.Offset()) + "the header announces " + std::to_string(trackCount) + " tracks, the file holds " +
             std::to_string(contents->tracks.size());
    return false;
  }
  std::stable_sort(contents->tempos.begin(), contents->tempos.end(),
                   [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
  return true;
}
