#include "exchange/MidiReader.h"

#include "tests/exchange/ExchangeTestSupport.h"

using namespace exchange_testing;

TEST(MidiReader, PairsNotesAsPlayersDo) {
  struct Case { const char* what; std::string file, notes; };
  const Case cases[] = {
      {"running status, of note-ons and of note-offs",
       OneTrack(Bytes({0x00, 0x90, 60, 64, 0x60, 62, 80, 0x00, 0x80, 60, 64, 0x60, 62, 64})),
       ": 0-96 c1 60/64 96-192 c1 62/80"},
      {"running status after a meta event and a system exclusive message; a note-on of velocity 0 ends a note",
       OneTrack(Bytes({0x00, 0x90, 60, 64, 0x30, 0xFF, 0x01, 0x02, 'h', 'i', 0x30, 60, 0, 0x00, 0xF0, 0x02, 0x01,
                       0xF7, 0x00, 62, 64, 0x60, 62, 0})),
       ": 0-96 c1 60/64 96-192 c1 62/64"},
      {"a key struck twice ends first in, first out",
       OneTrack(Bytes({0x00, 0x90, 60, 64, 0x30, 60, 80, 0x30, 60, 0, 0x30, 60, 0})),
       ": 0-96 c1 60/64 48-144 c1 60/80"},
      {"a note-off with nothing sounding is passed over, a note never ended ends with its track",
       OneTrack(Bytes({0x00, 0x80, 64, 64, 0x00, 0x90, 60, 64, 0x60, 0xB0, 7, 100})), ": 0-96 c1 60/64"},
      {"a track of meta events only, another chunk passed over, names",
       Header(1, 2, 96) + Track(Bytes({0x00, 0xFF, 0x03, 0x04, 'S', 'o', 'n', 'g'}) + Tempo(0, 400000)) +
           Chunk("XFIH", "abc") +
           Track(Bytes({0x00, 0xFF, 0x03, 0x04, 'L', 'e', 'a', 'd', 0x00, 0xFF, 0x03, 0x01, 'x', 0x00, 0xC3, 80, 0x00,
                        0x93, 72, 90, 0x60, 72, 0})),
       "Song:; Lead: 0-96 c4 72/90"},
  };
  for (const Case& c : cases) EXPECT_EQ(Notes(Read(c.file)), c.notes) << c.what;
}

TEST(MidiReader, TimesFollowTheTempoMapOfEveryTrack) {
  // 96 ticks a quarter: 500000 us a quarter until tick 48 (set in the first
  // track), then 250000 (set in the second, in the middle of its note).
  MidiFileContents contents =
      Read(Header(1, 2, 96) + Track(Tempo(0, 500000)) +
           Track(Bytes({0x00, 0x90, 60, 64}) + Tempo(0x30, 250000) + Bytes({0x30, 0x80, 60, 0, 0x60, 0x90, 62, 64,
                                                                             0x60, 62, 0})));
  EXPECT_EQ(Notes(contents), ":; : 0-96 c1 60/64 192-288 c1 62/64");
  EXPECT_EQ(contents.MicrosAt(96), 375000);
  EXPECT_EQ(contents.MicrosAt(288), 875000);

  // No tempo at all: 120 quarter notes a minute.
  EXPECT_EQ(Read(OneTrack(Bytes({0x00, 0x90, 60, 64, 0x60, 60, 0}))).MicrosAt(96), 500000);

  // Timed in frames: 25 a second of 40 ticks is a millisecond a tick; 30
  // drop-frame (29.97) of 80 ticks 417 us.
  contents = Read(Header(0, 1, 0xE728) + Track(Bytes({0x00, 0x90, 60, 64, 0x83, 0x74, 60, 0}) + Tempo(0, 250000)));
  EXPECT_EQ(contents.MicrosAt(500), 500000);  // a tempo does not change a time in frames
  EXPECT_EQ(Read(Header(0, 1, 0xE350) + Track("")).microsPerTick, 417u);
}

TEST(MidiReader, RefusesADamagedFileSayingWhere) {
  // The header takes bytes 0 to 13, a track's own header 14 to 21; its
  // events begin at byte 22. Each file, and the error it gets.
  const std::string header = Header(0, 1, 96);
  const std::pair<std::string, std::string> cases[] = {
      {"RIFF....WAVE", "not a MIDI file: it does not begin with \"MThd\""},
      {header.substr(0, 12), "at byte 4: the header is cut short"},
      {Header(2, 1, 96) + Track(""), "at byte 8: format 2 (a song of its own in each track) is not read"},
      {Header(0, 1, 0) + Track(""), "at byte 12: a time division of 0 ticks a quarter note"},
      {Header(0, 1, 0xE628) + Track(""), "at byte 12: a time division of 26 frames of 40 ticks"},
      {OneTrack(Bytes({0x00, 0xFF, 0x01, 0x40, 'a'})), "at byte 23: a meta event longer than the track"},
      {header + Chunk("MTrk", Bytes({0x00, 0x90, 60})), "at byte 25: the track ends inside a message"},
      {OneTrack(Bytes({0x00, 0x90, 60, 0x90})), "at byte 25: data byte 0x90 is above 127"},
      {OneTrack(Bytes({0x81, 0x80, 0x80, 0x80, 0x00, 0x90, 60, 64})), "at byte 22: a time longer than four bytes"},
      {OneTrack(Bytes({0x00, 60, 64})), "at byte 23: a data byte with no status before it"},
      {OneTrack(Bytes({0x00, 0xF2, 0x00, 0x00})), "at byte 23: status 0xF2 has no place"},
      {OneTrack(Bytes({0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1})), "at byte 23: a tempo of 2 bytes (3 expected)"},
      {Header(1, 2, 96) + Track(""), "at byte 26: the header announces 2 tracks, the file holds 1"},
  };
  for (const auto& [file, expected] : cases) {
    MidiFileContents contents;
    std::string error;
    EXPECT_FALSE(ReadMidiFile(reinterpret_cast<const uint8_t*>(file.data()), file.size(), &contents, &error))
        << expected;
    EXPECT_TRUE(Contains(error, expected)) << expected << ": " << error;
  }
}
