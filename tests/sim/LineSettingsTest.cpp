// Bytes are understood only where both ends agree on the line settings; the
// boot loader also wants its DTR pulse.
#include <gtest/gtest.h>

#include "SimRig.h"
#include "sim/WireSettings.h"

using namespace simtest;
using sim::PhoneState;

TEST(SimPhoneLine, BytesAtOtherSettingsAreGarbageBothWays) {
  Rig rig(PhoneIn(PhoneState::Service));
  for (uint8_t parity : {sim::kNoParity, sim::kEvenParity}) {
    rig.Configure(57600);
    rig.Send(kPing);
    rig.Configure(parity ? 57600 : 19200, parity);  // before the reply comes
    Bytes got = rig.Read();
    EXPECT_EQ(got.size(), kPingReply.size());
    EXPECT_NE(got, kPingReply);
  }
  rig.Configure(115200);
  rig.Send(kPing);
  rig.Configure(57600);
  EXPECT_TRUE(rig.Read().empty());
}

TEST(SimPhoneLine, BootLoaderWakesOnlyAfterADtrPulseAndAtEvenParity) {
  Rig rig(PhoneIn(PhoneState::Off));
  rig.Configure(19200, sim::kEvenParity);
  EXPECT_TRUE(rig.Exchange({0x55}).empty()) << "no DTR pulse yet";
  rig.Dtr(true);
  rig.Dtr(false);
  rig.Configure(19200);
  EXPECT_TRUE(rig.Exchange({0x55}).empty()) << "no parity";
  rig.Configure(19200, sim::kEvenParity);
  EXPECT_EQ(rig.Exchange({0x55}), Bytes{0xA0});
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
