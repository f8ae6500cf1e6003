#include "exchange/RtttlImport.h"

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

}  // namespace

TEST(RtttlImport, RingtonesBecomeNoteTextWithNoticesOfWhatChanged) {
  struct Case {
    std::string rtttl, text;
    uint16_t tempo;
    std::vector<std::string> notices;
  };
  // At b=120 a quarter note asks for 500 ms, nearest to (1/4) at tempo 128, 496.
  const Case cases[] = {
      {"Frere Jacques:d=4,o=5,b=120:c,d,e,c,2g,8g,8a,8g,8f,16e,16c",
       "C2(1/4) D2(1/4) E2(1/4) C2(1/4) G2(1/2) G2(1/8) A2(1/8) G2(1/8) F2(1/8) E2(1/16) C2(1/16)", 128, {}},
      {"x:d=4,o=5,b=120:c,c_,e#,b#,h,p", "C2(1/4) Cis2(1/4) F2(1/4) C3(1/4) H2(1/4) P(1/4)", 128,
       {"note 3 (line 1, column 22, \"e#\") is read as F, the note it sounds",
        "note 4 (line 1, column 25, \"b#\") is read as C of the next octave, the note it sounds"}},
      {"x:d=4,o=4,b=120:e#,e#5,e_6", "F1(1/4) F2(1/4) F3(1/4)", 128,
       {"3 notes written e# are read as F, the note they sound; the first is note 1 (line 1, column 17, \"e#\")"}},
      // A dotted note is the note and its half, on one tone, the dot before or after the octave.
      {"x:d=8,o=5,b=120:c.,4d.6,p.", "C2(1/8) C2(1/16) D3(1/4) D3(1/8) P(1/8) P(1/16)", 128, {}},
      // 1/64 asks for 31.25 ms: (1/64) is 30 at tempo 128, (1/32) 31 at 256, where the quarter is (1/2).
      {"x:d=64,o=5,b=120:c,4c", "C2(1/32) C2(1/2)", 256, {}},
      {"x:b=120,l=2,s=s:c", "C3(1/4)", 128,
       {"the setting l=2 at line 1, column 9 (loops) is ignored: a melody plays once, as written",
        "the setting s=s at line 1, column 13 (style) is ignored: a melody plays once, as written"}},
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
    EXPECT_EQ(melody.text, c.text) << c.rtttl;
    EXPECT_EQ(melody.tempo, c.tempo) << c.rtttl;
    EXPECT_EQ(melody.notices, c.notices) << c.rtttl;
  }
}

TEST(RtttlImport, TheEventsAreWhatTheEncoderMakesOfTheText) {
  const char* ringtones[] = {
      "a:d=4,o=5,b=160:c,8d.,16e#,32f_,64g,2a.,1b,p,4c#8",
      "b:d=16,o=6,b=900:c,d,e,32f,64g,8a,4b",
      "c:d=1,o=4,b=25:c,2d.,4e",
      "d:o=0:c,c1,c9",
  };
  for (const char* rtttl : ringtones) {
    ImportedMelody melody = Imported(rtttl);
    auto set = std::make_unique<MelodySet>();
    set->MelodyTempo(0) = melody.tempo;
    set->DecodeToBuffer(0, melody.text.c_str());
    SlotContents slot = ReadSlot(set->BlockImage(), 0);
    ASSERT_EQ(slot.events.size(), melody.events.size()) << rtttl;
    for (size_t i = 0; i < slot.events.size(); ++i) {
      EXPECT_EQ(slot.events[i].toneCode, melody.events[i].toneCode) << rtttl << ", event " << i + 1;
      EXPECT_EQ(slot.events[i].duration, melody.events[i].duration) << rtttl << ", event " << i + 1;
      EXPECT_NE(slot.events[i].duration, 0);
    }
  }
}
