// The phone's answers in each of its states and the changes between them.
#include <gtest/gtest.h>

#include "SimRig.h"

using namespace simtest;
using sim::PhoneState;

TEST(SimPhoneNormalMode, ServiceCommandOnlyAtItsOwnRate) {
  Rig rig;
  rig.Timeouts(250);
  for (uint32_t baud : {19200u, 115200u, 38400u}) {
    rig.Configure(baud);
    rig.Send(Text("at^sqwe=1\r"));
    Bytes reply = rig.Read(256);
    EXPECT_EQ(std::string(reply.begin(), reply.end()).find("OK"), std::string::npos) << baud;
  }
  rig.Configure(57600);
  rig.Send(kPing);  // no AT command: no answer
  EXPECT_TRUE(rig.Read(256).empty());
  rig.Send(Text("at+cgmi\r"));
  EXPECT_EQ(rig.Read(256), Text("at+cgmi\r\r\nERROR\r\n"));
  EXPECT_EQ(rig.phone.State(), PhoneState::Normal);
  rig.Send(Text("at^sqwe=1\r"));
  EXPECT_EQ(rig.Read(256), Text("at^sqwe=1\r\r\nOK\r\n"));
  EXPECT_EQ(rig.phone.State(), PhoneState::Service);
  rig.Timeouts(50);
  EXPECT_EQ(rig.Exchange(kPing), kPingReply);
}

TEST(SimPhoneServiceMode, AnswersPingAndBlockInformation) {
  Rig rig(PhoneIn(PhoneState::Service));
  EXPECT_EQ(rig.Exchange(kPing), kPingReply);
  EXPECT_EQ(rig.Exchange(kInfo5071), BlockFrame({0x15, 0x68, 0x09, 0x04}));  // 2408, its info byte
  EXPECT_EQ(rig.Exchange(BlockFrame({0x15, 0x10, 0x00})), BlockFrame({0x13, 0x15}));  // no block 16
}

TEST(SimPhoneServiceMode, WholeWriteStoresTheImageAndCompletesAtClose) {
  Rig rig(PhoneIn(PhoneState::Service));
  Bytes image = TestImage();
  std::vector<Bytes> written;
  rig.phone.onBlockWritten = [&](const Bytes& block) { written.push_back(block); };
  EXPECT_EQ(rig.Exchange(OpenFrame()), kOpened);
  for (uint16_t offset = 0; offset < image.size(); offset += 20) {
    Bytes chunk(image.begin() + offset, image.begin() + std::min<size_t>(offset + 20, image.size()));
    ASSERT_EQ(rig.Exchange(DataFrame(offset, chunk)), kTaken) << offset;
  }
  EXPECT_TRUE(written.empty());
  EXPECT_EQ(rig.Exchange(kClose), Frame(0x14, {0x13, 0x13}));
  for (uint8_t finish : {0x08, 0x18})
    EXPECT_EQ(rig.Exchange(Frame(0x14, {finish, finish})), Frame(0x14, {finish, finish}));
  EXPECT_EQ(rig.phone.Block(), image);
  EXPECT_EQ(written, std::vector<Bytes>{image});
}

TEST(SimPhoneServiceMode, BadOrMisplacedFramesAreNotActedOn) {
  Rig rig(PhoneIn(PhoneState::Service));
  EXPECT_EQ(rig.Exchange(DataFrame(0, Bytes(20, 1))), kDataRefused) << "not open";
  EXPECT_EQ(rig.Exchange(OpenFrame(2400)), kOpenRefused);
  EXPECT_EQ(rig.Exchange(OpenFrame(2408, 0x05)), kOpenRefused);
  EXPECT_EQ(rig.Exchange(OpenFrame()), kOpened);
  EXPECT_EQ(rig.Exchange(DataFrame(2400, Bytes(20, 1))), kDataRefused) << "past the end";
  Bytes badHeader = DataFrame(0, Bytes(20, 0x11)), badCheck = DataFrame(0, Bytes(20, 0x22));
  Bytes cut = DataFrame(0, Bytes(20, 0x33));
  badHeader[2] ^= 1;
  badCheck.back() ^= 1;
  cut.resize(20);
  for (const Bytes& bad : {badHeader, badCheck, cut}) {
    EXPECT_TRUE(rig.Exchange(bad).empty()) << sim::HexBytes(bad);
    rig.clock.SleepMs(30);  // a pause ends a cut frame
  }
  EXPECT_EQ(rig.phone.Block(), Bytes(2408, 0xFF));
  Bytes noiseThenPing{0x77, 0x13, 0x02, 0x01, 0x03, 0x14};
  EXPECT_EQ(rig.Exchange(noiseThenPing), kPingReply) << "finds the next frame";
  EXPECT_EQ(rig.phone.CompletedWrites(), 0);
}

TEST(SimPhoneServiceMode, PowerOffIsConfirmedThenThePhoneIsDeaf) {
  Rig rig(PhoneIn(PhoneState::Service));
  EXPECT_EQ(rig.Exchange(kPowerOff), kPowerOff);
  EXPECT_EQ(rig.phone.State(), PhoneState::Off);
  EXPECT_TRUE(rig.Exchange(kPing).empty());
  rig.Send(Text("at^sqwe=1\r"));
  EXPECT_TRUE(rig.Read(256).empty());
}

TEST(SimPhoneOff, BootHandshakeNeedsDtrAndAGoodBlock) {
  Rig rig(PhoneIn(PhoneState::Off));
  rig.Configure(19200, sim::kEvenParity);
  rig.Timeouts(45);
  EXPECT_TRUE(rig.Exchange({0x55}).empty()) << "no DTR pulse yet";
  EXPECT_EQ(rig.Sync(), Bytes{0xA0});
  Bytes corrupted = BootBlock();
  corrupted[50] ^= 0x40;
  rig.Send(corrupted);
  rig.Timeouts(20);
  EXPECT_TRUE(rig.Read(1).empty());
  EXPECT_EQ(rig.phone.State(), PhoneState::Off);

  EXPECT_EQ(rig.Sync(), Bytes{0xA0});
  rig.Send(BootBlock());
  rig.Timeouts(20);
  EXPECT_EQ(rig.Read(1), Bytes{0xA5});
  EXPECT_EQ(rig.phone.State(), PhoneState::Normal);
}

TEST(SimPhoneOff, DeafToOtherSettingsToAReleasedKeyAndBlindToDtrOnAPty) {
  Rig wrongParity(PhoneIn(PhoneState::Off));
  wrongParity.Dtr(true);
  wrongParity.Configure(19200);
  EXPECT_TRUE(wrongParity.Exchange({0x55}).empty());

  sim::SimPhoneSettings released = PhoneIn(PhoneState::Off);
  released.powerKeyHeld = false;
  EXPECT_TRUE(Rig(released).Sync().empty());

  Rig pty(PhoneIn(PhoneState::Off));
  pty.phone.SetCanSeeDtr(false);
  pty.Configure(19200, sim::kEvenParity);
  EXPECT_EQ(pty.Exchange({0x55}), Bytes{0xA0});
}

TEST(SimPhoneLine, BytesAtOtherSettingsAreGarbageBothWays) {
  Rig rig(PhoneIn(PhoneState::Service));
  for (uint8_t parity : {sim::kNoParity, sim::kEvenParity}) {
    rig.Configure(57600);
    rig.Send(kPing);
    rig.Configure(parity ? 57600 : 19200, parity);  // before the reply comes
    Bytes got = rig.Read();
    ASSERT_EQ(got.size(), kPingReply.size());
    for (uint8_t byte : got) EXPECT_TRUE(byte != 0x02 && byte != 0x14) << sim::HexBytes(got);
    unsigned errors = 0;
    rig.device->ClearCommError(&errors);
    EXPECT_NE(errors, 0u);
  }
  rig.Configure(115200);
  rig.Send(kPing);
  rig.Configure(57600);
  EXPECT_TRUE(rig.Read().empty());
}
