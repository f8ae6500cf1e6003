#include <cctype>
#include <filesystem>
#include <string>

#include "tests/melody/MelodyTestSupport.h"

namespace melody_test {
namespace {

std::string Melody1(const std::string& events) {
  return events.empty() ? "14 00 FC FF 01" : "14 00 " + events + " FC FF 01";
}

TEST_F(MelodyTest, EveryNoteNameInAnyCaseGivesItsToneCode) {
  // Octave 1; every octave up doubles it.
  const std::pair<std::string, int> bases[] = {
      {"A", 440}, {"Ais", 466}, {"B", 494}, {"Bis", 267}, {"C", 261}, {"Cis", 277},
      {"D", 293}, {"Dis", 311}, {"E", 329}, {"Eis", 349}, {"F", 349}, {"Fis", 370},
      {"G", 392}, {"Gis", 415}, {"H", 494}, {"His", 267}, {"P", 259}};
  for (const auto& [name, base] : bases)
    for (int octave = 1; octave <= 8; ++octave) {
      std::string lower = name + std::to_string(octave), upper = lower;
      for (char& c : lower) c = static_cast<char>(tolower(c));
      for (char& c : upper) c = static_cast<char>(toupper(c));
      const uint8_t code[2] = {static_cast<uint8_t>(base << (octave - 1)),
                               static_cast<uint8_t>((base << (octave - 1)) >> 8)};
      EXPECT_EQ(Encode(lower + "(1/1) " + upper + "(1/1)", 256),
                Melody1(Hex(code, 2) + " E0 03 " + Hex(code, 2) + " E0 03"));
    }
  EXPECT_EQ(Encode("p(1/1)", 256), Melody1("FF FF E0 03"));
  EXPECT_EQ(LogLines(), "");
  EXPECT_STREQ(NoteTable()[0].name, "A1");
  EXPECT_STREQ(NoteTable()[127].name, "His8");
  EXPECT_STREQ(NoteTable()[128].name, "P");
}

TEST_F(MelodyTest, ScanningRules) {
  struct Case {
    const char* text;
    uint16_t tempo;
    const char* events;
    std::vector<std::string> warnings;  // note and duration of each log line
  };
  const Case cases[] = {
      {"C2(1/4) D2(1/8)", 128, "0A 02 F0 01 4A 02 F8 00", {}},
      {"c2(1/4) cis2( 1 / 4 ) CIS2(1/4 )", 128, "0A 02 F0 01 2A 02 F0 01 2A 02 F0 01", {}},
      {"C2 (1/4)", 128, "FF FF 1F 00", {"(1/4)"}},  // a space empties the note
      // The character after ")" is passed over, whatever it is.
      {"C2(1/4),D2(1/8)", 128, "0A 02 F0 01 4A 02 F8 00", {}},
      {"C2(1/4)D2(1/8)", 128, "0A 02 F0 01 FF FF 1F 00", {"2(1/8)"}},
      {"C2(1/4)\r\nD2(1/8)", 128, "0A 02 F0 01 FF FF 1F 00", {"\nD2(1/8)"}},
      {"C2(1/4)\r\n D2(1/8)\tE2(1/2)\n", 128, "0A 02 F0 01 4A 02 F8 00 92 02 E0 03", {}},
      {"C2 D2", 128, "", {}},
      {"C2(1/4) D2", 128, "0A 02 F0 01", {}},
      {"P(1/4) p1(1/4) P8(1/8) X9(1/4) P9(1/2)", 128,
       "FF FF F0 01 03 01 F0 01 80 81 F8 00 FF FF 1F 00 FF FF 1F 00", {"X9(1/4)", "P9(1/2)"}},
      {"C2(1/3) D2(1/4", 128, "FF FF 1F 00 FF FF 1F 00", {"C2(1/3)", "D2(1/4"}},
      // A duration token holds ten characters; skipped spaces do not count.
      {"C2(1/4444444) E2(1/4    )", 128, "FF FF 1F 00 92 02 F0 01", {"C2(1/4444444"}},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ(1/8) \xD1\xE8(1/8)", 128, "FF FF 1F 00 FF FF 1F 00",
       {"ABCDEFGHIJKLMNOPQRST(1/8)", "\xD1\xE8(1/8)"}},
      // Tempos multiply by 256 div t up to 256, divide by t div 256 above;
      // what a word cannot hold becomes 65535; a duration of 0 a placeholder.
      {"C1(1/512) C1(1/1)", 128, "05 01 02 00 05 01 C0 07", {}},
      {"A1(1/1) A1(1/2) A1(1/4)", 1, "B8 01 FF FF B8 01 FF FF B8 01 00 F8", {}},
      {"A1(1/4) A1(1/2)", 2, "B8 01 00 7C B8 01 00 F8", {}},
      {"A1(1/1) A1(1/2)", 3, "B8 01 FF FF B8 01 B0 A4", {}},
      {"A1(1/4) A1(1/1)", 85, "B8 01 E8 02 B8 01 A0 0B", {}},
      {"A1(1/4)", 86, "B8 01 F0 01", {}},
      {"A1(1/4) A1(1/4)", 768, "B8 01 52 00 B8 01 52 00", {}},
      {"A1(1/1) A1(1/512)", 257, "B8 01 E0 03 B8 01 01 00", {}},
      {"A1(1/512) A1(1/4)", 600, "FF FF 1F 00 B8 01 7C 00", {"A1(1/512)"}},
      {"A1(1/1) A1(1/4)", 65535, "B8 01 03 00 FF FF 1F 00", {"A1(1/4)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::filesystem::remove(dir.Path() / "Error.log");
    EXPECT_EQ(Encode(c.text, c.tempo), Melody1(c.events));
    std::string expected;
    for (const std::string& warning : c.warnings) expected += "Warring: Note and Tone: " + warning + "\r\n";
    EXPECT_EQ(LogLines(), expected);
  }
}

TEST_F(MelodyTest, ObserverHearsWhereEachPlaceholderStands) {
  Encode("C2 (1/4) X9(1/4)D2(1/8) ABCDEFGHIJKLMNOPQRSTUV(1/8)\nE2(1/4");
  EXPECT_EQ(observer.calls, (std::vector<std::string>{"|(1/4)|-1|3", "X9|(1/4)|9|11", "2|(1/8)|17|18",
                                                      "ABCDEFGHIJKLMNOPQRST|(1/8)|24|46",
                                                      "E2|(1/4|52|54"}));
}

TEST_F(MelodyTest, TempoZeroBecomesOneOnceADurationIsRecognised) {
  Encode("C2(1/3) D2", 0);
  EXPECT_EQ(set.MelodyTempo(0), 0);
  Encode("X9(1/4)", 0);  // unknown note, known duration: the tempo is used
  EXPECT_EQ(set.MelodyTempo(0), 1);
  EXPECT_EQ(Encode("C2(1/8)", 0), Melody1("0A 02 00 7C"));
}

TEST(ScaledDuration, IsGivenBeforeItIsKeptToAWord) {
  EXPECT_EQ(ScaledDuration(992, 1), 253952u);  // the command line reports such notes
  EXPECT_EQ(ScaledDuration(248, 0), 63488u);
}

}  // namespace
}  // namespace melody_test
