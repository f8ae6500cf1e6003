// Virtual time and the arithmetic of bytes on a line.
#include <gtest/gtest.h>

#include <thread>

#include "sim/VirtualClock.h"
#include "sim/WireSettings.h"

TEST(VirtualClock, MovesOnlyForwardAndOnlyWhenAsked) {
  sim::VirtualClock clock;
  clock.SleepMs(45);
  clock.AdvanceUs(500);
  EXPECT_EQ(clock.NowUs(), 45500u);
  EXPECT_EQ(clock.NowMs(), 45u);
  clock.AdvanceToUs(1000);
  EXPECT_EQ(clock.NowUs(), 45500u);
  std::thread other([&clock] {
    for (int i = 0; i < 1000; ++i) clock.SleepMs(1);
  });
  for (int i = 0; i < 1000; ++i) clock.AdvanceUs(1000);
  other.join();
  EXPECT_EQ(clock.NowUs(), 2045500u);
}

TEST(WireSettings, ByteTimesAndWhatAReceiverCanRead) {
  EXPECT_EQ(sim::ByteTimeUs(sim::Settings8N1(57600)), 174u);  // 10 bits
  EXPECT_EQ(sim::ByteTimeUs(sim::Settings8E1(19200)), 573u);  // 11 bits
  sim::WireSettings pty = sim::Settings8N1(19200);
  pty.parityKnown = false;
  EXPECT_TRUE(sim::SettingsMatch(sim::Settings8N1(57600), sim::Settings8N1(57000)));  // within 2 %
  EXPECT_FALSE(sim::SettingsMatch(sim::Settings8N1(57600), sim::Settings8N1(38400)));
  EXPECT_FALSE(sim::SettingsMatch(sim::Settings8N1(19200), sim::Settings8E1(19200)));
  EXPECT_TRUE(sim::SettingsMatch(pty, sim::Settings8E1(19200)));
}

TEST(WireSettings, GarbageNeverLooksLikeAProtocolByte) {
  const uint8_t meaningful[] = {0x02, 0x0E, 0x14, 0x12, 0x50, 0x55, 0xA0, 0xA5, 'O', 'K', '\r'};
  const uint32_t rates[] = {19200, 38400, 57600, 115200};
  for (uint32_t from : rates)
    for (uint32_t to : rates)
      for (int value = 0; value < 256; ++value) {
        uint8_t garbage = sim::GarbledByte(static_cast<uint8_t>(value), sim::Settings8N1(from), sim::Settings8E1(to));
        for (uint8_t byte : meaningful) ASSERT_NE(garbage, byte) << value << " " << from << "->" << to;
      }
}
