#include <string>

#include "tests/melody/MelodyTestSupport.h"

namespace melody_test {
namespace {

const Event kPlaceholder{0xFFFF, 31};

TEST(NoteTable, HoldsTheNamesInSearchOrderWithDoublingOctaves) {
  struct Expected {
    const char* name;
    uint16_t octaveOne, octaveEight;
  };
  const Expected expected[] = {
      {"A", 440, 56320},   {"Ais", 466, 59648}, {"B", 494, 63232},   {"Bis", 267, 34176},
      {"C", 261, 33408},   {"Cis", 277, 35456}, {"D", 293, 37504},   {"Dis", 311, 39808},
      {"E", 329, 42112},   {"Eis", 349, 44672}, {"F", 349, 44672},   {"Fis", 370, 47360},
      {"G", 392, 50176},   {"Gis", 415, 53120}, {"H", 494, 63232},   {"His", 267, 34176}};
  const NoteRow* rows = NoteTable();
  for (int n = 0; n < 16; ++n) {
    for (int octave = 1; octave <= 8; ++octave) {
      const NoteRow& row = rows[n * 8 + octave - 1];
      EXPECT_EQ(row.name, std::string(expected[n].name) + std::to_string(octave));
      EXPECT_EQ(row.toneCode, expected[n].octaveOne << (octave - 1)) << row.name;
    }
    EXPECT_EQ(rows[n * 8 + 7].toneCode, expected[n].octaveEight);
  }
  EXPECT_STREQ(rows[128].name, "P");
  EXPECT_EQ(rows[128].toneCode, 0xFFFF);
  EXPECT_STREQ(rows[129].name, "P1");
  EXPECT_EQ(rows[129].toneCode, 259);
  EXPECT_STREQ(rows[136].name, "P8");
  EXPECT_EQ(rows[136].toneCode, 33152);
}

TEST_F(MelodyTest, EveryNoteNameIsFoundWhateverItsCase) {
  const NoteRow* rows = NoteTable();
  for (int r = 0; r < kNoteRowCount; ++r) {
    std::string lower = rows[r].name, upper = rows[r].name;
    for (char& c : lower) c = static_cast<char>(tolower(c));
    for (char& c : upper) c = static_cast<char>(toupper(c));
    EXPECT_EQ(Encode(lower + "(1/4) " + upper + "(1/4) " + rows[r].name + "(1/4)"),
              (EventList{{rows[r].toneCode, 496}, {rows[r].toneCode, 496}, {rows[r].toneCode, 496}}))
        << rows[r].name;
  }
  EXPECT_EQ(LogLines(), "");
}

TEST_F(MelodyTest, DurationsAtTheDefaultTempo) {
  EXPECT_EQ(Encode("C1(1/512) C1(1/256) C1(1/128) C1(1/64) C1(1/32) C1(1/16) C1(1/8) C1(1/4) "
                   "C1(1/2) C1(1/1)"),
            (EventList{{261, 2}, {261, 6}, {261, 14}, {261, 30}, {261, 62}, {261, 124}, {261, 248},
                    {261, 496}, {261, 992}, {261, 1984}}));
}

TEST_F(MelodyTest, SpacesInsideADurationAreSkipped) {
  EXPECT_EQ(Encode("C2( 1 / 4 ) D2(1/8 )"), (EventList{{522, 496}, {586, 248}}));
}

TEST_F(MelodyTest, SpaceBeforeTheParenthesisEmptiesTheNote) {
  EXPECT_EQ(Encode("C2 (1/4)"), EventList{kPlaceholder});
  EXPECT_EQ(LogLines(), "Warring: Note and Tone: (1/4)\r\n");
  ASSERT_EQ(observer.placeholders.size(), 1u);
  EXPECT_EQ(observer.placeholders[0].note, "");
  EXPECT_EQ(observer.placeholders[0].notePosition, -1);
  EXPECT_EQ(observer.placeholders[0].durationPosition, 3);
}

TEST_F(MelodyTest, TheCharacterAfterADurationIsPassedOver) {
  EXPECT_EQ(Encode("C2(1/4),D2(1/8)"), (EventList{{522, 496}, {586, 248}}));
  EXPECT_EQ(Encode("C2(1/4)D2(1/8)"), (EventList{{522, 496}, kPlaceholder}));
  EXPECT_EQ(LogLines(), "Warring: Note and Tone: 2(1/8)\r\n");
  ASSERT_EQ(observer.placeholders.size(), 1u);
  EXPECT_EQ(observer.placeholders[0].note, "2");
  EXPECT_EQ(observer.placeholders[0].notePosition, 8);
  EXPECT_EQ(observer.placeholders[0].durationPosition, 9);
}

TEST_F(MelodyTest, LineBreaksJoinTheNextNoteUnlessPassedOverOrSpaced) {
  // CR is passed over, LF starts the next note token.
  EXPECT_EQ(Encode("C2(1/4)\r\nD2(1/8)"), (EventList{{522, 496}, kPlaceholder}));
  EXPECT_EQ(LogLines(), "Warring: Note and Tone: \nD2(1/8)\r\n");
  EXPECT_EQ(Encode("C2(1/4) \r\nD2(1/8)"), (EventList{{522, 496}, kPlaceholder}));
  EXPECT_EQ(observer.placeholders.back().note, "\r\nD2");
  EXPECT_EQ(observer.placeholders.back().notePosition, 8);
  EXPECT_EQ(Encode("C2(1/4)\r\n D2(1/8)\tE2(1/2)\n"), (EventList{{522, 496}, {586, 248}, {658, 992}}));
  EXPECT_EQ(Encode("C2(1/4)\r\n\tD2(1/8)"), (EventList{{522, 496}, kPlaceholder}));
}

TEST_F(MelodyTest, NotesWithoutADurationGiveNoEvent) {
  EXPECT_EQ(Encode("C2 D2"), EventList{});
  EXPECT_EQ(ImageRange(1806, 5), (Bytes{0x14, 0x00, 0xFC, 0xFF, 0x01}));
  EXPECT_EQ(Encode("C2(1/4) D2"), (EventList{{522, 496}}));
  EXPECT_EQ(LogLines(), "");
}

TEST_F(MelodyTest, PausesAndUnknownNotes) {
  EXPECT_EQ(Encode("P(1/4) p1(1/4) P8(1/8) X9(1/4) P9(1/4)"),
            (EventList{{0xFFFF, 496}, {259, 496}, {33152, 248}, kPlaceholder, kPlaceholder}));
  EXPECT_EQ(LogLines(),
            "Warring: Note and Tone: X9(1/4)\r\n"
            "Warring: Note and Tone: P9(1/4)\r\n");
}

TEST_F(MelodyTest, UnknownOrUnfinishedDurations) {
  EXPECT_EQ(Encode("C2(1/3) D2(1/4"), (EventList{kPlaceholder, kPlaceholder}));
  EXPECT_EQ(LogLines(),
            "Warring: Note and Tone: C2(1/3)\r\n"
            "Warring: Note and Tone: D2(1/4\r\n");
  ASSERT_EQ(observer.placeholders.size(), 2u);
  EXPECT_EQ(observer.placeholders[1].duration, "(1/4");
  EXPECT_EQ(observer.placeholders[1].notePosition, 8);
  EXPECT_EQ(observer.placeholders[1].durationPosition, 10);
}

TEST_F(MelodyTest, DurationTokenStopsAtTenCharacters) {
  // "(1/4444444" is ten characters; the ")" after it is the character passed
  // over, so E2 still gets its own event.
  EXPECT_EQ(Encode("C2(1/4444444) E2(1/4)"), (EventList{kPlaceholder, {658, 496}}));
  EXPECT_EQ(Encode("C2(1/4    )"), (EventList{{522, 496}}));  // skipped spaces do not count
  EXPECT_EQ(LogLines(), "Warring: Note and Tone: C2(1/4444444\r\n");
}

TEST_F(MelodyTest, LongNoteTokensKeepTheirFirstTwentyCharacters) {
  const std::string run = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  EXPECT_EQ(Encode("C2(1/4) " + run + "(1/8) " + run + run + " D2(1/8)"),
            (EventList{{522, 496}, kPlaceholder, {586, 248}}));
  EXPECT_EQ(LogLines(), "Warring: Note and Tone: ABCDEFGHIJKLMNOPQRST(1/8)\r\n");
  ASSERT_EQ(observer.placeholders.size(), 1u);
  EXPECT_EQ(observer.placeholders[0].notePosition, 8);
  EXPECT_EQ(observer.placeholders[0].durationPosition, 8 + static_cast<int>(run.size()));
}

TEST_F(MelodyTest, HighCharactersAreNoteCharactersLikeAnyOther) {
  EXPECT_EQ(Encode("\xD1\xE8(1/4) C2(1/4)"), (EventList{kPlaceholder, {522, 496}}));
  EXPECT_EQ(LogLines(), "Warring: Note and Tone: \xD1\xE8(1/4)\r\n");
}

}  // namespace
}  // namespace melody_test
