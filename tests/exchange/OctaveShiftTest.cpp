#include "exchange/OctaveShift.h"

#include "exchange/Pitch.h"
#include "tests/exchange/ExchangeTestSupport.h"

using namespace exchange_testing;

TEST(OctaveShift, TheWholeTuneMovesUnlessNoShiftFitsItAll) {
  struct Case {
    std::vector<int> pitches;
    int shift;
    std::vector<int> moves;
    int movedAlone;
  };
  // The range of the melody's notes, C1 (60) to H8 (155).
  const Case cases[] = {
      {{}, 0, {}, 0},
      {{60, 72, 155}, 0, {0, 0, 0}, 0},                 // all inside: nothing moves
      {{48, 55, 64}, 1, {1, 1, 1}, 0},                  // one octave low: the whole tune up
      {{40, 59, 70}, 2, {2, 2, 2}, 0},                  // two octaves: up by two, not note by note
      {{150, 160, 167}, -1, {-1, -1, -1}, 0},           // above: down
      {{59, 60, 155}, 0, {1, 0, 0}, 1},                 // eight octaves and a semitone: no shift fits all
      {{10, 120, 122, 124}, 0, {5, 0, 0, 0}, 1},        // an outlier too far below moves alone, the rest stay
      {{30, 40, 50, 160, 170}, 3, {3, 3, 3, -1, -2}, 2},  // up 3 fits three of five; the rest move alone
      {{58, 157}, -1, {1, -1}, 1},                      // two shifts fit one note each: the lower wins
  };
  for (const Case& c : cases) {
    OctavePlan plan = PlanOctaves(c.pitches, kLowestMelodyPitch, kHighestMelodyPitch);
    EXPECT_EQ(plan.shift, c.shift) << ::testing::PrintToString(c.pitches);
    EXPECT_EQ(plan.moves, c.moves) << ::testing::PrintToString(c.pitches);
    EXPECT_EQ(plan.movedAlone, c.movedAlone) << ::testing::PrintToString(c.pitches);
  }
}

TEST(OctaveShift, ImportedTunesKeepTheirShape) {
  struct Case {
    std::string rtttl, text, notice;
  };
  const Case cases[] = {
      {"x:o=3:c,e,g,c4", "C1(1/4) E1(1/4) G1(1/4) C2(1/4)",
       "the ringtone's notes lie in RTTTL octaves 3 to 4, the melody's octaves 1 to 8 are RTTTL octaves 4 to 11: "
       "the whole tune is moved up 1 octave"},
      {"x:o=0:c,c1,c2", "C1(1/4) C2(1/4) C3(1/4)",
       "the ringtone's notes lie in RTTTL octaves 0 to 2, the melody's octaves 1 to 8 are RTTTL octaves 4 to 11: the whole "
       "tune is moved up 4 octaves"},
      // RTTTL's octaves 0 to 9 span more than the melody's eight: c0 moves alone, the rest stay.
      {"x:o=8:c,e,g,c0", "C5(1/4) E5(1/4) G5(1/4) C1(1/4)",
       "the ringtone's notes lie in RTTTL octaves 0 to 8, the melody's octaves 1 to 8 are RTTTL octaves 4 to 11, and no "
       "shift fits them all: 1 note outside moves by itself to the nearest octave: note 4 (line 1, column 13, \"c0\") "
       "as C1"},
  };
  for (const Case& c : cases) {
    ImportedMelody melody = Imported(c.rtttl);
    // The fit's tokens are not the point here.
    std::string text = melody.text;
    for (const char* token : {"(1/2)", "(1/8)", "(1/16)", "(1/32)", "(1/64)"})
      for (size_t at; (at = text.find(token)) != std::string::npos;) text.replace(at, std::string(token).size(), "(1/4)");
    EXPECT_EQ(text, c.text) << c.rtttl;
    std::string notices;
    for (const std::string& notice : melody.notices) notices += (notices.empty() ? "" : "\n") + notice;
    EXPECT_EQ(notices, c.notice) << c.rtttl;
  }
}
