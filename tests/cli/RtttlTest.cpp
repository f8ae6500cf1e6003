#include "cli/Rtttl.h"
#include "cli/RtttlImport.h"
#include "tests/cli/CliTestSupport.h"

using namespace cli_testing;

namespace {

ImportedMelody Imported(const std::string& rtttl) {
  RtttlTune tune;
  std::string error;
  EXPECT_TRUE(ParseRtttl(rtttl, &tune, &error)) << error;
  return ConvertRtttl(tune);
}

}  // namespace

TEST(Rtttl, TunesBecomeNoteTextWithNoticesOfWhatChanged) {
  struct Case {
    std::string rtttl, text;
    uint16_t tempo;
    size_t notices;
    std::string firstNotice;
  };
  const Case cases[] = {
      {"Frere Jacques:d=4,o=5,b=112:c,d,e,c,c,d,e,c,e,f,2g,8g,8a,8g,8f,e,c",
       "C2(1/4) D2(1/4) E2(1/4) C2(1/4) C2(1/4) D2(1/4) E2(1/4) C2(1/4) E2(1/4) F2(1/4) G2(1/2) "
       "G2(1/8) A2(1/8) G2(1/8) F2(1/8) E2(1/4) C2(1/4)", 128, 0, ""},
      {"bare::c,p,8h,32a#", "C3(1/4) P(1/4) H3(1/8) Ais3(1/32)", 64, 0, ""},  // d=4, o=6, b=63
      // Blanks anywhere; the dot is dropped before or after the octave.
      {" Tune : D = 8 , O = 5 , B = 120 :\n C#, 4D#6 ,\r\n a., h5. , 1p7, 16g.4 ",
       "Cis2(1/8) Dis3(1/4) A2(1/8) H2(1/8) P(1/1) G1(1/16)", 128, 3,
       "note 3 (line 3, column 2, a) is dotted, which a melody cannot express; written as A2(1/8) without the dot"},
      {"x:o=3:c,d#9", "C1(1/4) Dis6(1/4)", 64, 1,
       "note 1 (line 1, column 7, c) in RTTTL octave 3 lies outside octaves 4 to 11; written as C1"},
      {"x:o=12:g", "G8(1/4)", 64, 1, "in RTTTL octave 12 lies outside octaves 4 to 11; written as G8"},
      {"x:b=60000:32c,4c", "C3(1/32) C3(1/4)", 50944, 1,
       "at tempo 50944 a (1/32) note comes out as 0 long; the encoder makes it a silence of 31"},
      {"long::" + Repeated("c,", 159) + "c", Repeated("C3(1/4)", 148) + "C3(1/4)", 64, 1,
       "the ringtone has 160 notes; the phone holds 149, so it is cut after note 149"},
  };
  for (const Case& c : cases) {
    ImportedMelody melody = Imported(c.rtttl);
    EXPECT_EQ(melody.text, c.text);
    EXPECT_EQ(melody.tempo, c.tempo) << c.rtttl;
    ASSERT_EQ(melody.notices.size(), c.notices) << c.rtttl;
    if (c.notices) {
      EXPECT_TRUE(Contains(melody.notices[0], c.firstNotice)) << melody.notices[0];
    }
  }
}

TEST(Rtttl, TempoIsTheOneWithTheNearestQuarterNote) {
  std::pair<int, uint16_t> cases[] = {{63, 64}, {120, 128}, {200, 256}, {80, 85}, {1, 1}, {400, 512}, {900, 1024}};
  for (auto c : cases) EXPECT_EQ(TempoForBeats(c.first), c.second) << "b=" << c.first;
}

TEST(Rtttl, EveryFaultIsReportedWithItsPosition) {
  std::pair<std::string, std::string> cases[] = {
      {"just notes c,d,e", "expected name:settings:notes, with two colons"},
      {"x::c,\n  z", "unknown note 'z' at line 2, column 3"},
      {"x::e#", "unknown note 'e#' at line 1, column 4"},
      {"x::3c", "duration 3 at line 1, column 4: durations are 1, 2, 4, 8, 16 or 32"},
      {"x::8", "a duration without a note at line 1, column 4"},
      {"x:d=3:c", "default duration 3 at line 1, column 3"},
      {"x:l=3:c", "unknown setting at line 1, column 3"},
      {"x:b=0:c", "tempo b=0 at line 1, column 3"},
      {"x::c..", "unexpected '.' at line 1, column 6"},
      {"x:d=4:", "the ringtone has no notes"},
  };
  for (const auto& c : cases) {
    RtttlTune tune;
    std::string error;
    EXPECT_FALSE(ParseRtttl(c.first, &tune, &error)) << c.first;
    EXPECT_TRUE(Contains(error, c.second)) << error;
  }
}

TEST(ImportRtttlCommand, ReplacesOneMelodyAndWritesNothingOnBadInput) {
  ScopedWorkDir dir;
  WriteFile("tune.txt", "tune:d=8,o=5,b=200:c,e,g\n");
  WriteProject("old.bmt", {{"A1(1/4)", 90}, {"H1(1/4)", 91}, {"C2(1/4)", 92}, {"D2(1/4)", 93}});
  RunResult run = Quavrel({"import-rtttl", "tune.txt", "--melody", "3", "-o", "old.bmt"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "imported \"tune\" as melody 3 of old.bmt: 3 notes, tempo 256"));
  WriteProject("expected.bmt", {{"A1(1/4)", 90}, {"H1(1/4)", 91}, {"C2(1/8) E2(1/8) G2(1/8)", 256}, {"D2(1/4)", 93}});
  EXPECT_EQ(ReadFile("old.bmt"), ReadFile("expected.bmt"));
  ASSERT_EQ(Quavrel({"import-rtttl", "tune.txt", "-o", "new.bmt"}).code, 0);  // melody 1 of a new project
  WriteProject("expected.bmt", {{"C2(1/8) E2(1/8) G2(1/8)", 256}});
  EXPECT_EQ(ReadFile("new.bmt"), ReadFile("expected.bmt"));

  WriteFile("bad.txt", "tune:d=8:c,x");
  WriteFile("broken.bmt", "not a project");
  ExpectFailure({"import-rtttl", "bad.txt", "-o", "out.bmt"}, 1,
                "'bad.txt': unknown note 'x' at line 1, column 12; nothing was written");
  ExpectFailure({"import-rtttl", "tune.txt", "-o", "broken.bmt"}, 1, "it was left as it was");
  ExpectFailure({"import-rtttl", "tune.txt", "-o", "out.bin"}, 2, "must end in \".bmt\": out.bin");
  EXPECT_EQ(ReadFile("broken.bmt"), "not a project");
  EXPECT_FALSE(std::filesystem::exists("out.bmt"));
}
