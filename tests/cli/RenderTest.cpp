#include <gtest/gtest.h>

#include "cli/MelodyRenderer.h"
#include "cli/WavWriter.h"
#include "tests/cli/CliTestSupport.h"

using namespace cli_testing;
using testing_support::ScopedWorkDir;

namespace {

uint32_t U32At(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
  return value;
}

uint16_t U16At(const std::string& bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8);
}

std::vector<int16_t> Samples(const std::string& wav) {
  std::vector<int16_t> samples;
  for (size_t at = kWavHeaderSize; at + 1 < wav.size(); at += 2) samples.push_back(static_cast<int16_t>(U16At(wav, at)));
  return samples;
}

// Sign changes in [from, to): two per period of a square wave.
int SignChanges(const std::vector<int16_t>& samples, size_t from, size_t to) {
  int changes = 0;
  for (size_t i = from + 1; i < to; ++i)
    if ((samples[i] > 0) != (samples[i - 1] > 0)) ++changes;
  return changes;
}

}  // namespace

TEST(WavWriter, HeaderDescribes16BitMonoPcm) {
  std::string header = WavHeader(1000, 44100);
  ASSERT_EQ(header.size(), kWavHeaderSize);
  EXPECT_EQ(header.substr(0, 4), "RIFF");
  EXPECT_EQ(U32At(header, 4), 36u + 2000u);
  EXPECT_EQ(header.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(U32At(header, 16), 16u);
  EXPECT_EQ(U16At(header, 20), 1);  // PCM
  EXPECT_EQ(U16At(header, 22), 1);  // mono
  EXPECT_EQ(U32At(header, 24), 44100u);
  EXPECT_EQ(U32At(header, 28), 88200u);
  EXPECT_EQ(U16At(header, 32), 2);
  EXPECT_EQ(U16At(header, 34), 16);
  EXPECT_EQ(header.substr(36, 4), "data");
  EXPECT_EQ(U32At(header, 40), 2000u);
}

TEST(RenderCommand, PlaysEachEventForItsDurationInMilliseconds) {
  ScopedWorkDir dir;
  // 1984 + 496 + 248 + 31 (the placeholder) + 62 ms at tempo 128.
  WriteProject("p.bmt", {{""}, {"A1(1/1) P(1/4) C2(1/8) X9(1/32) A2(1/32)"}});
  RunResult run = Quavrel({"render", "p.bmt", "--melody", "2", "-o", "out.wav"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "melody 2: 5 notes, 2.821 s (2821 ms); wrote out.wav")) << run.out;
  EXPECT_TRUE(Contains(run.err, "unknown note \"X9\""));

  std::string wav = ReadFile("out.wav");
  const size_t total = 2821 * 44100 / 1000;
  ASSERT_EQ(wav.size(), kWavHeaderSize + 2 * total);
  EXPECT_EQ(U32At(wav, 40), 2 * total);
  std::vector<int16_t> samples = Samples(wav);

  // A1 is 440 Hz: over 1.984 s its square wave changes sign 2 * 440 * 1.984 times.
  size_t a1End = 1984 * 44100 / 1000;
  EXPECT_NEAR(SignChanges(samples, 0, a1End) / 2.0 / 1.984, 440.0, 1.0);
  EXPECT_EQ(samples[0], kRenderAmplitude);
  // The pause and the placeholder are silent, everything else is not.
  size_t pauseEnd = (1984 + 496) * 44100 / 1000, c2End = (1984 + 496 + 248) * 44100 / 1000;
  size_t placeholderEnd = (1984 + 496 + 248 + 31) * 44100 / 1000;
  for (size_t i = 0; i < total; ++i) {
    bool silent = (i >= a1End && i < pauseEnd) || (i >= c2End && i < placeholderEnd);
    ASSERT_EQ(samples[i] == 0, silent) << "sample " << i;
  }
  EXPECT_NEAR(SignChanges(samples, pauseEnd, c2End) / 2.0 / 0.248, 522.0, 4.0);
}

TEST(RenderCommand, ABlockPlaysLikeTheProjectItCameFrom) {
  ScopedWorkDir dir;
  WriteProject("p.bmt", {{"C2(1/4) E2(1/4)"}, {"G3(1/16) P(1/16) G3(1/8)", 200}});
  ASSERT_EQ(Quavrel({"encode", "p.bmt", "-o", "p.bin"}).code, 0);
  ASSERT_EQ(Quavrel({"render", "p.bmt", "--melody", "2", "-o", "a.wav"}).code, 0);
  ASSERT_EQ(Quavrel({"render", "--block", "p.bin", "--melody", "2", "-o", "b.wav"}).code, 0);
  EXPECT_EQ(ReadFile("a.wav"), ReadFile("b.wav"));
  ASSERT_EQ(Quavrel({"render", "p.bmt", "-o", "first.wav"}).code, 0);  // melody 1 when none is named
  EXPECT_EQ(ReadFile("first.wav").size(), kWavHeaderSize + 2 * (992 * 44100 / 1000));
}

TEST(RenderCommand, TonesAboveHalfTheSampleRateAreSilent) {
  MelodyRenderer renderer({{28160, 10}, {440, 10}});
  EXPECT_EQ(renderer.InaudibleEvents(), 1);
  std::vector<int16_t> samples(renderer.TotalSamples());
  ASSERT_EQ(renderer.Render(samples.data(), samples.size()), 882u);
  EXPECT_EQ(renderer.Render(samples.data(), samples.size()), 0u);
  for (size_t i = 0; i < 441; ++i) ASSERT_EQ(samples[i], 0);
  EXPECT_EQ(samples[441], kRenderAmplitude);
}

TEST(RenderCommand, RefusesWhatItCannotPlay) {
  ScopedWorkDir dir;
  WriteProject("p.bmt", {{"C2(1/4)"}, {""}, {"C2 D2"}});
  std::string block = EncodedBlock({{"C2(1/4)"}});
  WriteFile("short.bin", block.substr(1));
  block[1806] = 0x15;
  WriteFile("bad.bin", block);
  struct Case {
    std::vector<std::string> args;
    int code;
    std::string message;
  } cases[] = {
      {{"p.bmt", "--melody", "2", "-o", "x.wav"}, 1, "melody 2 of 'p.bmt' has no notes"},
      {{"p.bmt", "--melody", "3", "-o", "x.wav"}, 1, "melody 3 of 'p.bmt' has no notes"},
      {{"--block", "short.bin", "-o", "x.wav"}, 1, "'short.bin' is not a block file: it has 2407 bytes"},
      {{"--block", "bad.bin", "-o", "x.wav"}, 1, "melody 1 of 'bad.bin' cannot be read: its slot begins with 0x0015"},
      {{"p.bmt", "--block", "bad.bin", "-o", "x.wav"}, 2, "not both"},
      {{"-o", "x.wav"}, 2, "missing"},
      {{"p.bmt"}, 2, "-o OUT.wav"},
      {{"p.bmt", "--melody", "5", "-o", "x.wav"}, 2, "not '5'"},
      {{"p.bmt", "-o", "absent/x.wav"}, 1, "cannot create 'absent/x.wav'"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"render"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    RunResult run = Quavrel(args);
    EXPECT_EQ(run.code, c.code) << c.message;
    EXPECT_TRUE(Contains(run.err, c.message)) << run.err;
  }
  EXPECT_EQ(FilesHere(), (std::vector<std::string>{"bad.bin", "p.bmt", "short.bin"}));
}
