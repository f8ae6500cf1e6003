#include "tests/melody/MelodyTestSupport.h"

TEST_F(MelodyTest, ScanningRules) {
  // Text, tempo, events, and the note and duration of each log line.
  const struct { const char* text; uint16_t tempo; const char* events; std::vector<std::string> warnings; } cases[] = {
      // Every name in any case; each octave digit up doubles the tone code.
      {"a1(1/8) AIS2(1/8) b3(1/8) BiS4(1/8) c5(1/8) CIS6(1/8) d7(1/8) DIS8(1/8)", 128,
       "B8 01 F8 00 A4 03 F8 00 B8 07 F8 00 58 08 F8 00 50 10 F8 00 A0 22 F8 00 40 49 F8 00 80 9B F8 00", {}},
      {"E1(1/8) eis2(1/8) F3(1/8) fIS4(1/8) G5(1/8) gis6(1/8) H7(1/8) His8(1/8)", 128,
       "49 01 F8 00 BA 02 F8 00 74 05 F8 00 90 0B F8 00 80 18 F8 00 E0 33 F8 00 80 7B F8 00 80 85 F8 00", {}},
      // Spaces inside a duration are skipped; one before it empties the note.
      {"C2( 1 / 4 ) C2 (1/4)", 128, "0A 02 F0 01 FF FF 1F 00", {"(1/4)"}},
      // The character after ")" is passed over, whatever it is.
      {"C2(1/4),D2(1/8)E2(1/4)", 128, "0A 02 F0 01 4A 02 F8 00 FF FF 1F 00", {"2(1/4)"}},
      {"C2(1/4)\r\nD2(1/8) \r\n E2(1/2)\n", 128, "0A 02 F0 01 FF FF 1F 00 92 02 E0 03", {"\nD2(1/8)"}},
      {"C2(1/4) D2", 128, "0A 02 F0 01", {}},
      {"P(1/4) p1(1/4) P8(1/8) X9(1/4) P9(1/2)", 128,
       "FF FF F0 01 03 01 F0 01 80 81 F8 00 FF FF 1F 00 FF FF 1F 00", {"X9(1/4)", "P9(1/2)"}},
      {"C2(1/3) D2(1/4", 128, "FF FF 1F 00 FF FF 1F 00", {"C2(1/3)", "D2(1/4"}},
      // A duration token holds ten characters; skipped spaces do not count.
      {"C2(1/4444444) E2(1/4    )", 128, "FF FF 1F 00 92 02 F0 01", {"C2(1/4444444"}},
      // A note token keeps its first twenty characters.
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ(1/8) \xD1\xE8(1/8)", 128, "FF FF 1F 00 FF FF 1F 00",
       {"ABCDEFGHIJKLMNOPQRST(1/8)", "\xD1\xE8(1/8)"}},
      // Tempos multiply by 256 div t up to 256, divide by t div 256 above;
      // what a word cannot hold becomes 65535; a duration of 0 a placeholder.
      {"C1(1/512) C1(1/1)", 128, "05 01 02 00 05 01 C0 07", {}},
      {"A1(1/1) A1(1/2) A1(1/4)", 1, "B8 01 FF FF B8 01 FF FF B8 01 00 F8", {}},
      {"A1(1/4)", 86, "B8 01 F0 01", {}},
      {"A1(1/4) A1(1/4)", 768, "B8 01 52 00 B8 01 52 00", {}},
      {"A1(1/1) A1(1/512)", 257, "B8 01 E0 03 B8 01 01 00", {}},
      {"A1(1/512) A1(1/4)", 600, "FF FF 1F 00 B8 01 7C 00", {"A1(1/512)"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::filesystem::remove(dir.Path() / "Error.log");
    EXPECT_EQ(Encode(c.text, c.tempo), "14 00 " + std::string(c.events) + " FC FF 01");
    std::string expected;
    for (const std::string& warning : c.warnings) expected += "Warring: Note and Tone: " + warning + "\r\n";
    EXPECT_EQ(LogLines(), expected);
  }
}

TEST_F(MelodyTest, TempoZeroBecomesOneOnceADurationIsRecognised) {
  Encode("C2(1/3) D2", 0);
  EXPECT_EQ(set.MelodyTempo(0), 0);
  Encode("X9(1/4)", 0);  // unknown note, known duration: the tempo is used
  EXPECT_EQ(set.MelodyTempo(0), 1);
}
