#include "exchange/RtttlImport.h"

#include <tuple>

#include "exchange/OctaveShift.h"
#include "melody/MelodySet.h"
#include "melody/SlotReader.h"
#include "tests/exchange/ExchangeTestSupport.h"

using namespace exchange_testing;

namespace {

std::string Repeated(const std::string& item, int count, const char* separator) {
  std::string text;
  for (int i = 0; i < count; ++i) text += (i ? separator : "") + item;
  return text;
}

// The events the import gives are what the melody's encoder makes of its
// text, and none of them lasts 0.
void ExpectTheEncoderAgrees(const std::string& rtttl) {
  SCOPED_TRACE(rtttl);
  ImportedMelody melody = Imported(rtttl);
  auto set = std::make_unique<MelodySet>();
  set->MelodyTempo(0) = melody.tempo;
  set->DecodeToBuffer(0, melody.text.c_str());
  EXPECT_EQ(Shown(ReadSlot(set->BlockImage(), 0).events), Shown(melody.events));
  for (const NoteEvent& e : melody.events) EXPECT_NE(e.duration, 0);
}

}  // namespace

TEST(RtttlImport, RingtonesBecomeNoteTextWithNoticesOfWhatChanged) {
  struct Case { std::string rtttl, text; uint16_t tempo; std::vector<std::string> notices; };
  // At b=120 a quarter note asks for 500 ms, nearest to (1/4) at tempo 128, 496.
  const Case cases[] = {
      {"x:d=4,o=5,b=120:c,c_,\n  e#,b#,h,p", "C2(1/4) Cis2(1/4) F2(1/4) C3(1/4) H2(1/4) P(1/4)", 128,
       {"note 3 (line 2, column 3, \"e#\") is read as F, the note it sounds",
        "note 4 (line 2, column 6, \"b#\") is read as C of the next octave, the note it sounds"}},
      // A dotted note is the note and its half, on one tone, the dot before or after the octave.
      {"x:d=8,o=5,b=120:c.,4d.6,p.", "C2(1/8) C2(1/16) D3(1/4) D3(1/8) P(1/8) P(1/16)", 128, {}},
      // 1/64 asks for 31.25 ms: (1/64) is 30 at tempo 128, (1/32) 31 at 256, where the quarter is (1/2).
      {"x:d=64,o=5,b=120:c,4c", "C2(1/32) C2(1/2)", 256, {}},
      {"x:l=2,s=s,b=120:c", "C3(1/4)", 128,
       {"the setting l=2 at line 1, column 3 (loops) is ignored: a melody plays once, as written",
        "the setting s=s at line 1, column 7 (style) is ignored: a melody plays once, as written"}},
      // The melody's octaves 1 to 8 are RTTTL's 4 to 11, RTTTL's ten span more: c0 moves alone, the rest stay.
      {"x:o=8,b=120:c,e,g,c0", "C5(1/4) E5(1/4) G5(1/4) C1(1/4)", 128,
       {"the ringtone's notes lie in RTTTL octaves 0 to 8, the melody's octaves 1 to 8 are RTTTL octaves 4 to 11, and "
        "no shift fits them all: 1 note outside moves by itself to the nearest octave: note 4 (line 1, column 19, "
        "\"c0\") as C1"}},
      {"long:b=120:" + Repeated("c", 160, ","), Repeated("C3(1/4)", 149, " "), 128,
       {"the ringtone has 160 notes and the phone holds 149 events (a dotted note takes two), so it is cut after "
        "note 149 (line 1, column 308, \"c\")"}},
      // Cut before a dotted note that no longer fits whole.
      {"long:b=120:" + Repeated("c", 148, ",") + ",d.", Repeated("C3(1/4)", 148, " "), 128,
       {"the ringtone has 149 notes and the phone holds 149 events (a dotted note takes two), so it is cut after "
        "note 148 (line 1, column 306, \"c\")"}},
  };
  for (const Case& c : cases) {
    ImportedMelody melody = Imported(c.rtttl);
    EXPECT_EQ(std::tuple(melody.text, melody.tempo, melody.notices), std::tuple(c.text, c.tempo, c.notices)) << c.rtttl;
    ExpectTheEncoderAgrees(c.rtttl);
  }
  // Tempos and durations at their ends.
  for (const char* rtttl : {"a:d=4,o=5,b=160:c,8d.,16e#,32f_,64g,2a.,1b,p,4c#8",
                            "b:d=16,o=6,b=900:c,d,e,32f,64g,8a,4b", "c:d=1,o=4,b=25:c,2d.,4e", "d:o=0:c,c1,c9"})
    ExpectTheEncoderAgrees(rtttl);
}

TEST(TempoFit, TunesLastWithinTenPercentOfWhatTheirTempoAsksAndDottedNotesExactly) {
  // Every note value once, and a few more of the common ones.
  const char kNotes[] = "c,8d,8e,f,2g,16a,16b,c6,32p,8e,1c,64d,4p";
  const int kValues[] = {4, 8, 8, 4, 2, 16, 16, 4, 32, 8, 1, 64, 4};
  for (int b : {40, 45, 50, 56, 63, 70, 80, 90, 100, 112, 120, 125, 140, 150, 160, 180, 200, 225, 250, 285, 300, 320,
                355, 400}) {
    SCOPED_TRACE("b=" + std::to_string(b));
    ImportedMelody melody = Imported("x:d=4,o=5,b=" + std::to_string(b) + ":" + kNotes);
    double asked = 0, played = 0;
    for (int value : kValues) asked += 240000.0 / (value * b);
    for (const NoteEvent& event : melody.events) played += event.duration;
    EXPECT_NEAR(played / asked, 1.0, 0.10) << "tempo " << melody.tempo << ", shift " << melody.fit.shift;

    // c, its half, d, e; f, its half, g, a: the halves last what the next notes do.
    const std::vector<NoteEvent> dotted =
        Imported("x:d=4,o=5,b=" + std::to_string(b) + ":c.,d,8e,16f.,16g,32a").events;
    ASSERT_EQ(dotted.size(), 8u);
    for (size_t i : {0, 1, 4, 5}) EXPECT_EQ(dotted[i].duration, dotted[i + 2].duration) << "event " << i;
    for (size_t i : {0, 4}) EXPECT_EQ(dotted[i].toneCode, dotted[i + 1].toneCode) << "event " << i;
  }
}

TEST(TempoFit, ChoosesTheTempoAndTokensTogether) {
  struct Case { std::vector<NoteValueCount> values; int64_t wholeMicros; uint16_t tempo; int shift; };
  const Case cases[] = {
      {{{{4, false}, 1}}, 4 * 375000, 10, 4},        // b=160: a quarter of 375 ms is (1/64) x25, exactly
      {{{{4, false}, 1}, {{32, false}, 1}}, 4 * 375000, 85, 1},  // ... but 1/32 has no (1/512) x25: (1/8) x3, 372
      {{{{16, false}, 1}}, 16 * 63488000LL, 1, -2},  // 63.5 s: (1/4) x256, as no token at shift 0 lasts that long
  };
  for (const Case& c : cases) {
    TempoFit fit = FitTempo(c.values, c.wholeMicros);
    EXPECT_EQ(std::tuple(fit.tempo, fit.shift), std::tuple(c.tempo, c.shift)) << c.wholeMicros;
  }
}

TEST(OctaveShift, TheWholeTuneMovesUnlessNoShiftFitsItAll) {
  struct Case { std::vector<int> pitches; int shift; std::vector<int> moves; int movedAlone; };
  // The range of the melody's notes, C1 (60) to H8 (155).
  const Case cases[] = {
      {{40, 59, 70}, 2, {2, 2, 2}, 0},                  // two octaves: up by two, not note by note
      {{150, 160, 167}, -1, {-1, -1, -1}, 0},           // above: down
      {{59, 60, 155}, 0, {1, 0, 0}, 1},                 // eight octaves and a semitone: no shift fits all
      {{10, 120, 122, 124}, 0, {5, 0, 0, 0}, 1},        // an outlier too far below moves alone, the rest stay
      {{30, 40, 50, 160, 170}, 3, {3, 3, 3, -1, -2}, 2},  // up 3 fits three of five; the rest move alone
      {{58, 157}, -1, {1, -1}, 1},                      // two shifts fit one note each: the lower wins
  };
  for (const Case& c : cases) {
    OctavePlan plan = PlanOctaves(c.pitches, kLowestMelodyPitch, kHighestMelodyPitch);
    EXPECT_EQ(std::tuple(plan.shift, plan.moves, plan.movedAlone), std::tuple(c.shift, c.moves, c.movedAlone))
        << ::testing::PrintToString(c.pitches);
  }
}
