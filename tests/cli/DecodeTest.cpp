#include <random>

#include "melody/DurationTable.h"
#include "melody/NoteTable.h"
#include "tests/cli/CliTestSupport.h"

using namespace cli_testing;

namespace {

// Notes from the whole note table, durations that do not come out as 0 at
// the tempo: what encodes without a placeholder.
std::string RandomMelody(std::mt19937& random, uint16_t tempo) {
  std::string text;
  int events = static_cast<int>(random() % 150);
  for (int i = 0; i < events; ++i) {
    const DurationRow* duration;
    do duration = &DurationTable()[random() % kDurationRowCount];
    while (ScaledDuration(duration->base, tempo) == 0);
    text += std::string(i ? " " : "") + NoteTable()[random() % kNoteRowCount].name + duration->token;
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
    std::vector<Melody> melodies;
    std::vector<std::string> args = {"decode", "p.bin", "--project", "q.bmt"};
    for (int k = 0; k < kMelodyCount; ++k) {
      uint16_t tempo = tempos[random() % (sizeof tempos / sizeof tempos[0])];
      melodies.push_back({RandomMelody(random, tempo), tempo});
      args.insert(args.end(), {"--tempo", std::to_string(k + 1), std::to_string(tempo)});
    }
    WriteProject("p.bmt", melodies);
    ASSERT_EQ(Quavrel({"encode", "p.bmt", "-o", "p.bin"}).code, 0);
    RunResult decoded = Quavrel(args);
    ASSERT_EQ(decoded.code, 0) << decoded.err;
    EXPECT_EQ(decoded.err, "") << "round " << round;
    ASSERT_EQ(Quavrel({"encode", "q.bmt", "-o", "q.bin"}).code, 0);
    ASSERT_EQ(ReadFile("q.bin"), ReadFile("p.bin")) << "round " << round;
  }
}

TEST(DecodeCommand, PrintsNoteTextAndReportsWhatHasNoToken) {
  ScopedWorkDir dir;
  WriteFile("p.bin", EncodedBlock({{"c2(1/4) F1(1/8) p(1/2)"}, {""}, {"H1(1/1)", 64}}));
  RunResult run = Quavrel({"decode", "p.bin", "--tempo", "3", "64"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out,
            "Melody 1, tempo 128:\n    C2(1/4) Eis1(1/8) P(1/2)\n"
            "Melody 2, tempo 128: empty\n"
            "Melody 3, tempo 64:\n    B1(1/1)\n"
            "Melody 4, tempo 128: empty\n");

  // A tone of 1000 and the placeholder's duration 31 at tempo 128.
  WriteFile("p.bin", Block({{0, std::string("\x14\0\xe8\x03\xf0\x01\x0a\x02\x1f\0\xfc\xff\x01", 13)}}));
  run = Quavrel({"decode", "p.bin", "--project", "p.bmt"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "B2(1/4) C2(1/64)"));
  EXPECT_TRUE(Contains(run.err, "melody 1, event 1: tone 1000 is no note's; written as the nearest, B2 (988)"));
  EXPECT_TRUE(Contains(run.err, "melody 1, event 2: duration 31 has no token at tempo 128; written as the nearest, (1/64) (30)"));
  EXPECT_TRUE(std::filesystem::exists("p.bmt"));
}

TEST(DecodeCommand, AMalformedSlotIsAnErrorForThatMelodyOnly) {
  ScopedWorkDir dir;
  std::string events;
  for (int i = 0; i < 149; ++i) events += std::string("\x0a\x02\xf0\x01", 4);
  std::string full = std::string("\x15\0", 2) + events + "\xfc\xff\x01";
  std::string unterminated = std::string("\x16\0", 2) + events + std::string("\x0a\x02\xf0\x01", 4);
  WriteFile("p.bin", Block({{0, std::string("\x17\0\xfc\xff\x01", 5)}, {1, full}, {2, unterminated}, {3, "\xff"}}));
  RunResult run = Quavrel({"decode", "p.bin", "--project", "p.bmt"});
  EXPECT_EQ(run.code, 1);
  EXPECT_TRUE(Contains(run.err, "melody 1 cannot be read: its slot begins with 0x0017 where a melody 1 begins with 0x0014"));
  EXPECT_TRUE(Contains(run.err, "melody 3 cannot be read: its slot has no end mark (FC FF 01) after 150 notes")) << run.err;
  EXPECT_TRUE(Contains(run.out, "Melody 1, tempo 128: cannot be read\n"));
  EXPECT_TRUE(Contains(run.out, "Melody 2, tempo 128:\n    C2(1/4) C2(1/4)"));
  EXPECT_TRUE(Contains(run.err, "no project written"));
  EXPECT_FALSE(std::filesystem::exists("p.bmt"));
}

TEST(DecodeCommand, AMelodyWithoutNotesStaysOne) {
  ScopedWorkDir dir;
  // "C2" has no duration: melody 2's slot holds its header and the end mark.
  WriteProject("p.bmt", {{""}, {"C2", 100}, {"D2(1/4)"}});
  ASSERT_EQ(Quavrel({"encode", "p.bmt", "-o", "p.bin"}).code, 0);
  RunResult run = Quavrel({"decode", "p.bin", "--project", "q.bmt", "--tempo", "2", "100"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "Melody 1, tempo 128: empty\nMelody 2, tempo 100: no notes (written as \"P\")\n")) << run.out;
  ASSERT_EQ(Quavrel({"encode", "q.bmt", "-o", "q.bin"}).code, 0);
  EXPECT_EQ(ReadFile("q.bin"), ReadFile("p.bin"));
}

TEST(DecodeCommand, RefusesBadInput) {
  ScopedWorkDir dir;
  WriteFile("long.bin", EncodedBlock({}) + "x");
  ExpectFailure({"decode", "p.bin", "--tempo", "0", "128"}, 2, "not '0'");
  ExpectFailure({"decode", "p.bin", "--project", "p.txt"}, 2, "must end in \".bmt\": p.txt");
  ExpectFailure({"decode", "long.bin"}, 1, "'long.bin' is larger than 2408 bytes, not a block file");
}
