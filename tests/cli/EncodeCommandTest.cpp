// Encoding melodies into a block, checking them, and decoding blocks.
#include <random>

#include "cli/TerminalText.h"
#include "melody/DurationTable.h"
#include "melody/NoteTable.h"
#include "tests/cli/CliTestSupport.h"

using namespace cli_testing;

TEST(EncodeCommand, WritesTheBlockAndDescriptionTheProgramsExportWritesOrNothing) {
  ScopedWorkDir dir;
  const std::vector<Melody> melodies = {
      {"C2(1/4) D2(1/8) P(1/4)", 128}, {""}, {"a3(1/16) Cis4(1/2),H1(1/1)", 2}, {"E2( 1 / 4 ) G8(1/512)", 600}};
  WriteProject("p.bmt", melodies);
  auto expected = SetOf(melodies);
  expected->EncodeAll();
  ASSERT_EQ(expected->ExportBlock("expected.bin"), 1);
  EXPECT_TRUE(Contains(Ok({"encode", "p.bmt", "-o", "tunes.bin.bin"}).out, "wrote tunes.bin.bin (2408 bytes) and tunes.bin.bid"));
  EXPECT_EQ(ReadFile("tunes.bin.bin"), ReadFile("expected.bin"));
  EXPECT_EQ(ReadFile("tunes.bin.bid"), ReadFile("expected.bid"));

  WriteFile("old.bin", "old block");
  WriteFile("old.bid", "old description");
  WriteFile("long.bmt", Record(std::string(2048, 'C')) + Record("") + Record("") + Record(""));
  ExpectFailure({"encode", "long.bmt", "-o", "old.bin"}, 1, "melody 1 of 'long.bmt' is 2048 bytes long");
  ExpectFailure({"encode", "p.bmt", "-o", "absent/out.bin"}, 1, "cannot write 'absent/out.bin' and 'absent/out.bid': ");
  ExpectFailure({"encode", "p.bmt", "-o", "out.BIN"}, 2, "must end in \".bin\": out.BIN");
  ExpectFailure({"encode", "p.bmt"}, 2, "-o OUT.bin");
}

// Check lists every kind of problem with its melody, line and column and
// writes nothing; encode and render warn of the very same lines.
TEST(EncodeCommand, CheckListsEachKindOfProblemAndEncodeAndRenderWarnOfTheSame) {
  ScopedWorkDir dir;
  std::string longText;
  for (int i = 0; i < 150; ++i) longText += "C2(1/4) ";
  longText += std::string(2047 - longText.size(), ' ') + "D2(1/4)";
  // Tempo word r of the file is melody 4-r's.
  const std::string first = Record("C2(1/4) X9(1/4) C2(1/3) C2(1/512) D2") +
                            Record("\xD1" "2(1/4)\r\nD2(1/8)D2(1/8) E2 (1/4)", 2) + Record("C2(1/1) D2(1/2) E2(1/1) F2");
  WriteFile("p.bmt", first + Record(longText, 600));
  RunResult check = Quavrel({"check", "p.bmt"});
  EXPECT_EQ(check.code, 1);
  const std::string cyrillicC = TerminalFromCp1251("\xD1");
  const std::vector<std::string> problems = {
      "melody 1, line 1, column 9, \"X9(1/4)\": unknown note \"X9\"; it plays as a silence of 31",
      "melody 1, line 1, column 17, \"C2(1/3)\": unknown duration \"(1/3)\"",
      "melody 1, line 1, column 25, \"C2(1/512)\": comes out as a duration of 0 at tempo 600",
      "melody 1, line 1, column 35: \"D2\" gives no note",
      "melody 2, line 1, column 1, \"" + cyrillicC + "2(1/4)\": unknown note \"" + cyrillicC + "2\"; \"" + cyrillicC +
          "\" is the Cyrillic letter, not the Latin C",
      "melody 2, line 2, column 1, \"\\nD2(1/8)\": unknown note \"\\nD2\"; a line break joins the note after it",
      "melody 2, line 2, column 9, \"2(1/8)\": unknown note \"2\"; the \"D\" right after \")\" is skipped",
      "melody 2, line 2, column 19, \"(1/4)\": no note before the duration",
      ("melody 3: at tempo 2 (1/1) would last 126976, longer than the 65535 a note holds; notes 1, 3 are "
       "shortened to 65535"),
      "melody 4, line 1, column 1193: the melody has more than 149 notes",
  };
  for (const std::string& line : problems) EXPECT_TRUE(Contains(check.out, line)) << line << "\n" << check.out;
  EXPECT_TRUE(Contains(check.out, "melody 4, line 1, column 2048: the text is 2054 bytes long; a melody keeps the first 2047"));
  EXPECT_TRUE(Contains(check.out, "p.bmt: 12 problems\n"));
  EXPECT_EQ(Snapshot().size(), 1u);  // p.bmt alone

  // Melody 4 cut to what fits: the same problems but its length.
  WriteFile("p.bmt", first + Record(longText.substr(0, 2047), 600));
  const std::string encoded = Ok({"encode", "p.bmt", "-o", "p.bin"}).err;
  EXPECT_TRUE(Contains(ReadFile("Error.log"), "Warring: Note and Tone: X9(1/4)\r\n"));
  const std::string rendered = Ok({"render", "p.bmt", "--melody", "2", "-o", "p.wav"}).err;
  for (const std::string& problem : problems) {
    EXPECT_TRUE(Contains(encoded, "quavrel encode: warning: " + problem)) << problem << "\n" << encoded;
    EXPECT_EQ(Contains(rendered, "quavrel render: warning: " + problem), problem.rfind("melody 2,", 0) == 0)
        << problem << "\n" << rendered;
  }
}

namespace {

// Notes from the whole note table, durations that do not come out as 0 at
// the tempo: what encodes without a placeholder.
std::string RandomMelody(std::mt19937& random, uint16_t tempo) {
  std::string text;
  for (int i = static_cast<int>(random() % 150); i > 0; --i) {
    const DurationRow* duration;
    do duration = &DurationTable()[random() % kDurationRowCount];
    while (ScaledDuration(duration->base, tempo) == 0);
    text += NoteTable()[random() % kNoteRowCount].name + std::string(duration->token) + " ";
  }
  return text;
}

// Melody k's slot bytes for each k given; the others are empty melodies.
std::string Block(const std::vector<std::pair<int, std::string>>& slots) {
  std::string block = EncodedBlock({});
  for (const auto& [k, bytes] : slots) block.replace(static_cast<size_t>(kSlotSize * (3 - k)), bytes.size(), bytes);
  return block;
}

}  // namespace

TEST(DecodeCommand, EncodedMelodiesComeBackAsTheSameBlock) {
  ScopedWorkDir dir;
  const uint16_t tempos[] = {0, 1, 2, 3, 50, 100, 128, 129, 256, 257, 600, 1000, 30000, 65535};
  std::mt19937 random(5071);
  for (int round = 0; round < 12; ++round) {
    SCOPED_TRACE(round);
    std::vector<Melody> melodies;
    std::vector<std::string> args = {"decode", "p.bin", "--project", "q.bmt"};
    for (int k = 0; k < kMelodyCount; ++k) {
      uint16_t tempo = tempos[random() % (sizeof tempos / sizeof tempos[0])];
      melodies.push_back({RandomMelody(random, tempo), tempo});
      args.insert(args.end(), {"--tempo", std::to_string(k + 1), std::to_string(tempo)});
    }
    WriteProject("p.bmt", melodies);
    Ok({"encode", "p.bmt", "-o", "p.bin"});
    EXPECT_EQ(Ok(args).err, "");
    Ok({"encode", "q.bmt", "-o", "q.bin"});
    ASSERT_EQ(ReadFile("q.bin"), ReadFile("p.bin"));
  }
}

TEST(DecodeCommand, PrintsNoteTextReportsWhatHasNoTokenAndAMalformedSlotFailsThatMelodyOnly) {
  ScopedWorkDir dir;
  // "C2" has no duration: melody 4's slot holds its header and the end mark,
  // and it stays a melody without notes.
  WriteFile("p.bin", EncodedBlock({{"c2(1/4) F1(1/8) p(1/2)"}, {""}, {"H1(1/1)", 64}, {"C2", 100}}));
  EXPECT_EQ(Ok({"decode", "p.bin", "--tempo", "3", "64", "--tempo", "4", "100", "--project", "q.bmt"}).out,
            "Melody 1, tempo 128:\n    C2(1/4) Eis1(1/8) P(1/2)\n"
            "Melody 2, tempo 128: empty\n"
            "Melody 3, tempo 64:\n    B1(1/1)\n"
            "Melody 4, tempo 100: no notes (written as \"P\")\n"
            "wrote q.bmt\n");
  Ok({"encode", "q.bmt", "-o", "q.bin"});
  EXPECT_EQ(ReadFile("q.bin"), ReadFile("p.bin"));

  // A tone of 1000 and the placeholder's duration 31 at tempo 128.
  WriteFile("p.bin", Block({{0, std::string("\x14\0\xe8\x03\xf0\x01\x0a\x02\x1f\0\xfc\xff\x01", 13)}}));
  RunResult run = Ok({"decode", "p.bin", "--project", "p.bmt"});
  EXPECT_TRUE(Contains(run.out, "B2(1/4) C2(1/64)"));
  EXPECT_TRUE(Contains(run.err, "melody 1, event 1: tone 1000 is no note's; written as the nearest, B2 (988)"));
  EXPECT_TRUE(Contains(run.err, "melody 1, event 2: duration 31 has no token at tempo 128; written as the nearest, (1/64) (30)"));

  std::string events;
  for (int i = 0; i < 149; ++i) events += std::string("\x0a\x02\xf0\x01", 4);
  std::string full = std::string("\x15\0", 2) + events + "\xfc\xff\x01";
  std::string unterminated = std::string("\x16\0", 2) + events + std::string("\x0a\x02\xf0\x01", 4);
  WriteFile("p.bin", Block({{0, std::string("\x17\0\xfc\xff\x01", 5)}, {1, full}, {2, unterminated}, {3, "\xff"}}));
  run = Quavrel({"decode", "p.bin", "--project", "r.bmt"});
  EXPECT_EQ(run.code, 1);
  EXPECT_TRUE(Contains(run.err, "melody 1 cannot be read: its slot begins with 0x0017 where a melody 1 begins with 0x0014"));
  EXPECT_TRUE(Contains(run.err, "melody 3 cannot be read: its slot has no end mark (FC FF 01) after 150 notes")) << run.err;
  EXPECT_TRUE(Contains(run.out, "Melody 1, tempo 128: cannot be read\n"));
  EXPECT_TRUE(Contains(run.out, "Melody 2, tempo 128:\n    C2(1/4) C2(1/4)"));
  EXPECT_TRUE(Contains(run.err, "no project written"));
  EXPECT_FALSE(std::filesystem::exists("r.bmt"));

  WriteFile("long.bin", EncodedBlock({}) + "x");
  ExpectFailure({"decode", "long.bin"}, 1, "'long.bin' is larger than 2408 bytes, not a block file");
}
