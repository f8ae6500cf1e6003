#include "cli/WavWriter.h"
#include "tests/cli/CliTestSupport.h"

using namespace cli_testing;

namespace {

std::string U32(size_t value) { return {char(value), char(value >> 8), char(value >> 16), char(value >> 24)}; }

std::vector<int16_t> Samples(const std::string& wav) {
  std::vector<int16_t> samples;
  for (size_t at = kWavHeaderSize; at + 1 < wav.size(); at += 2)
    samples.push_back(static_cast<int16_t>(static_cast<unsigned char>(wav[at]) | static_cast<unsigned char>(wav[at + 1]) << 8));
  return samples;
}

// The frequency of a square wave from its sign changes, two a period.
double Frequency(const std::vector<int16_t>& samples, size_t from, size_t to) {
  int changes = 0;
  for (size_t i = from + 1; i < to; ++i) changes += (samples[i] > 0) != (samples[i - 1] > 0);
  return changes / 2.0 / ((to - from) / 44100.0);
}

size_t SampleAt(size_t milliseconds) { return milliseconds * 44100 / 1000; }

}  // namespace

TEST(RenderCommand, PlaysEachEventForItsDurationInMilliseconds) {
  ScopedWorkDir dir;
  // 1984 + 496 + 248 + 31 (the placeholder) + 62 + 62 ms at tempo 128.
  WriteProject("p.bmt", {{""}, {"A1(1/1) P(1/4) C2(1/8) X9(1/32) A2(1/32) A7(1/32)"}});
  RunResult run = Ok({"render", "p.bmt", "--melody", "2", "-o", "out.wav"});
  EXPECT_TRUE(Contains(run.out, "melody 2: 6 notes, 2.883 s (2883 ms); wrote out.wav")) << run.out;
  EXPECT_TRUE(Contains(run.err, "warning: 1 note lies above 22050 Hz and is silent"));
  std::string wav = ReadFile("out.wav");
  ASSERT_EQ(wav.size(), kWavHeaderSize + 2 * SampleAt(2883));
  // A format record of 16 bytes: PCM, mono, 44100 Hz, 88200 bytes a second,
  // 2 bytes a sample of 16 bits; the sizes of what follows them.
  const std::string format("WAVEfmt \x10\0\0\0\x01\0\x01\0\x44\xAC\0\0\x88\x58\x01\0\x02\0\x10\0data", 32);
  EXPECT_EQ(wav.substr(0, kWavHeaderSize), "RIFF" + U32(wav.size() - 8) + format + U32(wav.size() - kWavHeaderSize));

  std::vector<int16_t> samples = Samples(wav);
  EXPECT_NEAR(Frequency(samples, 0, SampleAt(1984)), 440.0, 1.0);
  EXPECT_NEAR(Frequency(samples, SampleAt(2480), SampleAt(2728)), 522.0, 4.0);
  // The pause, the placeholder and the tone too high to sample are silent,
  // everything else is not.
  for (size_t i = 0; i < samples.size(); ++i) {
    bool silent = (i >= SampleAt(1984) && i < SampleAt(2480)) || (i >= SampleAt(2728) && i < SampleAt(2759)) ||
                  i >= SampleAt(2821);
    ASSERT_EQ(samples[i] == 0, silent) << "sample " << i;
  }
}

TEST(RenderCommand, ABlockPlaysLikeTheProjectItCameFromAndWhatCannotBePlayedIsRefused) {
  ScopedWorkDir dir;
  WriteProject("p.bmt", {{"C2(1/4) E2(1/4)"}, {"G3(1/16) P(1/16) G3(1/8)", 200}});
  Ok({"encode", "p.bmt", "-o", "p.bin"});
  Ok({"render", "p.bmt", "--melody", "2", "-o", "a.wav"});
  Ok({"render", "--block", "p.bin", "--melody", "2", "-o", "b.wav"});
  EXPECT_EQ(ReadFile("a.wav"), ReadFile("b.wav"));

  std::string block = EncodedBlock({{"C2(1/4)"}});
  WriteFile("short.bin", block.substr(1));
  block[1806] = 0x15;
  WriteFile("bad.bin", block);
  ExpectFailure({"render", "--block", "short.bin", "-o", "x.wav"}, 1, "'short.bin' is not a block file: it has 2407 bytes");
  ExpectFailure({"render", "--block", "bad.bin", "-o", "x.wav"}, 1,
                "melody 1 of 'bad.bin' cannot be read: its slot begins with 0x0015");
}
