// The phone's answers in each of its states and the changes between them.
#include <gtest/gtest.h>

#include "SimRig.h"

using namespace simtest;
using sim::PhoneState;

TEST(SimPhoneNormalMode, ServiceCommandAtItsRateIsEchoedAnsweredOkAndSwitchesMode) {
  Rig rig;
  rig.Timeouts(250);
  rig.Send(Text("at^sqwe=1\r"));
  EXPECT_EQ(rig.Read(256), Text("at^sqwe=1\r\r\nOK\r\n"));
  EXPECT_EQ(rig.phone.State(), PhoneState::Service);
  rig.Timeouts(50);
  EXPECT_EQ(rig.Exchange(kPing), kPingReply);
}

TEST(SimPhoneNormalMode, OtherRatesAndOtherTextGetNoServiceMode) {
  Rig rig;
  rig.Timeouts(250);
  for (uint32_t baud : {19200u, 115200u, 38400u}) {
    rig.Configure(baud);
    rig.Send(Text("at^sqwe=1\r"));
    Bytes reply = rig.Read(256);
    EXPECT_EQ(std::string(reply.begin(), reply.end()).find("OK\r"), std::string::npos) << baud;
  }
  rig.Configure(57600);
  rig.Send(kPing);  // a frame is no AT command: no answer
  EXPECT_TRUE(rig.Read(256).empty());
  rig.Send(Text("at+cgmi\r"));
  EXPECT_EQ(rig.Read(256), Text("at+cgmi\r\r\nERROR\r\n"));
  rig.Send(Text("AT\r"));
  EXPECT_EQ(rig.Read(256), Text("AT\r\r\nOK\r\n"));
  EXPECT_EQ(rig.phone.State(), PhoneState::Normal);
}

TEST(SimPhoneNormalMode, FallbackInTwoPiecesEchoesTheFirstAndAcceptsTheWhole) {
  sim::SimPhoneSettings settings;
  settings.atRate = 19200;
  Rig rig(settings);
  rig.Configure(19200);
  rig.Timeouts(250);
  rig.Send(Text("at^sbf"));
  EXPECT_EQ(rig.Read(256), Text("at^sbf"));
  rig.Send(Text("b=1\r"));
  EXPECT_EQ(rig.Read(256), Text("b=1\r\r\nOK\r\n"));
  EXPECT_EQ(rig.phone.State(), PhoneState::Service);
}

TEST(SimPhoneNormalMode, ConfiguredRateIsTheOnlyOneAnswered) {
  sim::SimPhoneSettings settings;
  settings.atRate = 38400;
  Rig rig(settings);
  rig.Timeouts(250);
  rig.Send(Text("at^sqwe=1\r"));
  EXPECT_TRUE(rig.Read(256).empty());
  EXPECT_EQ(rig.phone.State(), PhoneState::Normal);
  rig.Configure(38400);
  rig.Send(Text("at^sqwe=1\r"));
  EXPECT_EQ(rig.Read(256), Text("at^sqwe=1\r\r\nOK\r\n"));
  EXPECT_EQ(rig.phone.State(), PhoneState::Service);
}

TEST(SimPhoneServiceMode, AnswersPingAndBlockInformation) {
  Rig rig(PhoneIn(PhoneState::Service));
  EXPECT_EQ(rig.Exchange(kPing), kPingReply);
  // Type 0x14, N = 5: 0x15, length 2408 (68 09), its info byte, check.
  EXPECT_EQ(rig.Exchange(kInfo5071), Frame(0x14, {0x15, 0x68, 0x09, 0x04, 0x15 ^ 0x68 ^ 0x09 ^ 0x04}));
  // Another block: refused, so a host wanting N >= 5 reads nothing it takes.
  EXPECT_EQ(rig.Exchange(BlockFrame({0x15, 0x10, 0x00})), BlockFrame({0x13, 0x15}));
}

TEST(SimPhoneServiceMode, FullWriteStoresTheImageAndCompletesAtClose) {
  Rig rig(PhoneIn(PhoneState::Service));
  Bytes image = TestImage();
  std::vector<Bytes> written;
  rig.phone.onBlockWritten = [&](const Bytes& block) { written.push_back(block); };

  EXPECT_EQ(rig.Exchange(OpenFrame()), Frame(0x14, {0x50, 0x50}));
  for (uint16_t offset = 0; offset < image.size(); offset += 20) {
    size_t count = std::min<size_t>(20, image.size() - offset);
    Bytes chunk(image.begin() + offset, image.begin() + offset + count);
    ASSERT_EQ(rig.Exchange(DataFrame(offset, chunk)), Frame(0x14, {0x12, 0x12})) << offset;
  }
  EXPECT_TRUE(written.empty());
  EXPECT_EQ(rig.Exchange(CloseFrame()), Frame(0x14, {0x13, 0x13}));
  EXPECT_EQ(rig.Exchange(Frame(0x14, {0x08, 0x08})), Frame(0x14, {0x08, 0x08}));
  EXPECT_EQ(rig.Exchange(Frame(0x14, {0x18, 0x18})), Frame(0x14, {0x18, 0x18}));

  EXPECT_EQ(rig.phone.Block(), image);
  EXPECT_EQ(rig.phone.CompletedWrites(), 1);
  ASSERT_EQ(written.size(), 1u);
  EXPECT_EQ(written[0], image);
}

TEST(SimPhoneServiceMode, BadFramesAreNotActedOn) {
  Rig rig(PhoneIn(PhoneState::Service));
  rig.Exchange(OpenFrame());
  Bytes badHeader = DataFrame(0, Bytes(20, 0x11));
  badHeader[2] ^= 1;
  Bytes badCheck = DataFrame(0, Bytes(20, 0x22));
  badCheck.back() ^= 1;
  Bytes truncated = DataFrame(0, Bytes(20, 0x33));
  truncated.resize(20);
  for (const Bytes& bad : {badHeader, badCheck, truncated}) {
    EXPECT_TRUE(rig.Exchange(bad).empty()) << sim::HexBytes(bad);
    rig.clock.SleepMs(30);  // let a partial frame lapse
  }
  EXPECT_EQ(rig.phone.Block(), Bytes(2408, 0xFF));
  // The parser finds its feet again: a good frame after bad bytes is taken.
  EXPECT_EQ(rig.Exchange(kPing), kPingReply);
  Bytes noiseThenPing{0x77, 0x13};
  noiseThenPing.insert(noiseThenPing.end(), kPing.begin(), kPing.end());
  EXPECT_EQ(rig.Exchange(noiseThenPing), kPingReply);
}

TEST(SimPhoneServiceMode, RefusesDataOutsideAnOpenWriteAndMismatchedOpens) {
  Rig rig(PhoneIn(PhoneState::Service));
  EXPECT_EQ(rig.Exchange(DataFrame(0, Bytes(20, 1))), BlockFrame({0x13, 0x12}));
  EXPECT_EQ(rig.Exchange(OpenFrame(2400)), BlockFrame({0x13, 0x11}));
  EXPECT_EQ(rig.Exchange(OpenFrame(2408, 0x05)), BlockFrame({0x13, 0x11}));
  EXPECT_EQ(rig.Exchange(OpenFrame()), Frame(0x14, {0x50, 0x50}));
  EXPECT_EQ(rig.Exchange(DataFrame(2400, Bytes(20, 1))), BlockFrame({0x13, 0x12}));  // past the end
  EXPECT_EQ(rig.Exchange(DataFrame(2400, Bytes(8, 1))), Frame(0x14, {0x12, 0x12}));
  EXPECT_EQ(rig.phone.CompletedWrites(), 0);
}

TEST(SimPhoneServiceMode, PowerOffIsConfirmedThenThePhoneIsSilent) {
  Rig rig(PhoneIn(PhoneState::Service));
  EXPECT_EQ(rig.Exchange(kPowerOff), kPowerOff);
  EXPECT_EQ(rig.phone.State(), PhoneState::Off);
  EXPECT_TRUE(rig.Exchange(kPing).empty());
  rig.Timeouts(250);
  rig.Send(Text("at^sqwe=1\r"));
  EXPECT_TRUE(rig.Read(256).empty());
}

namespace {
// One handshake try as a host makes it: 0x55 at 19200 8E1, one byte back.
uint8_t Sync(Rig& rig) {
  rig.Send({0x55});
  Bytes reply = rig.Read(1);
  return reply.empty() ? 0 : reply[0];
}
}  // namespace

TEST(SimPhoneOff, BootHandshakeWithAGoodBlockSwitchesItOn) {
  Rig rig(PhoneIn(PhoneState::Off));
  rig.Configure(19200, sim::kEvenParity);
  rig.Timeouts(45);
  EXPECT_EQ(Sync(rig), 0) << "no answer before the DTR pulse";
  rig.Dtr(true);
  rig.clock.SleepMs(55);
  EXPECT_EQ(Sync(rig), 0xA0);
  rig.Dtr(false);
  rig.Send(BootBlock());
  rig.Timeouts(20);
  EXPECT_EQ(rig.Read(1), Bytes{0xA5});
  EXPECT_EQ(rig.phone.State(), PhoneState::Normal);
  rig.EnterService();
  EXPECT_EQ(rig.Exchange(kPing), kPingReply);
}

TEST(SimPhoneOff, CorruptedBlockGetsNoConfirmationAndANewHandshakeWorks) {
  Rig rig(PhoneIn(PhoneState::Off));
  rig.Configure(19200, sim::kEvenParity);
  rig.Timeouts(45);
  rig.Dtr(true);
  EXPECT_EQ(Sync(rig), 0xA0);
  Bytes block = BootBlock();
  block[50] ^= 0x40;
  rig.Send(block);
  rig.Timeouts(20);
  EXPECT_TRUE(rig.Read(1).empty());
  EXPECT_EQ(rig.phone.State(), PhoneState::Off);

  rig.Dtr(false);
  rig.Dtr(true);
  rig.Timeouts(45);
  EXPECT_EQ(Sync(rig), 0xA0);
  rig.Send(BootBlock());
  EXPECT_EQ(rig.Read(1), Bytes{0xA5});
}

TEST(SimPhoneOff, OnlyBootSettingsAndAHeldKeyWakeIt) {
  {
    Rig rig(PhoneIn(PhoneState::Off));  // service-mode settings
    rig.Dtr(true);
    EXPECT_TRUE(rig.Exchange({0x55}).empty());
    EXPECT_TRUE(rig.Exchange(kPing).empty());
  }
  {
    Rig rig(PhoneIn(PhoneState::Off));
    rig.Configure(19200);  // right rate, no parity
    rig.Dtr(true);
    EXPECT_TRUE(rig.Exchange({0x55}).empty());
  }
  {
    sim::SimPhoneSettings settings = PhoneIn(PhoneState::Off);
    settings.powerKeyHeld = false;
    Rig rig(settings);
    rig.Configure(19200, sim::kEvenParity);
    rig.Dtr(true);
    EXPECT_TRUE(rig.Exchange({0x55}).empty());
  }
}

TEST(SimPhoneOff, HostThatCannotShowDtrNeedsNoPulse) {
  Rig rig(PhoneIn(PhoneState::Off));
  rig.phone.SetCanSeeDtr(false);
  rig.Configure(19200, sim::kEvenParity);
  rig.Timeouts(45);
  EXPECT_EQ(Sync(rig), 0xA0);
}

TEST(SimPhoneLine, BytesAtOtherSettingsAreGarbageBothWays) {
  Rig rig(PhoneIn(PhoneState::Service));
  // The phone answers at 57600 8N1; a host at 19200 or with parity reads
  // something else, and nothing it can take for the reply.
  for (auto [baud, parity] : {std::pair<uint32_t, uint8_t>{19200, 0}, {115200, 0}, {57600, 2}}) {
    rig.Configure(57600);
    rig.Send(kPing);
    rig.Configure(baud, parity);
    Bytes got = rig.Read();
    EXPECT_EQ(got.size(), kPingReply.size());
    EXPECT_NE(got, kPingReply);
    for (uint8_t byte : got) EXPECT_TRUE(byte != 0x02 && byte != 0x14) << sim::HexBytes(got);
    unsigned errors = 0;
    rig.device->ClearCommError(&errors);
    EXPECT_NE(errors, 0u);
  }
  // A ping at the wrong rate means nothing to the phone.
  rig.Configure(115200);
  rig.Send(kPing);
  rig.Configure(57600);
  EXPECT_TRUE(rig.Read().empty());
}

TEST(SimPhoneLine, RepliesTakeTheirTimeAtTheRateInForce) {
  Rig rig(PhoneIn(PhoneState::Service));
  rig.Send(kPing);
  uint64_t sent = rig.clock.NowUs();
  EXPECT_EQ(sent, 4 * sim::ByteTimeUs(sim::Settings8N1(57600)));
  EXPECT_EQ(rig.Read(5), kPingReply);
  // Reply delay, then five bytes of ten bits at 57600.
  EXPECT_EQ(rig.clock.NowUs() - sent, 2000 + 5 * sim::ByteTimeUs(sim::Settings8N1(57600)));
}

TEST(SimPhoneLog, EventsNameWhatHappened) {
  Rig rig;
  std::vector<std::string> meanings;
  rig.phone.onEvent = [&](const sim::PhoneEvent& event) { meanings.push_back(event.meaning); };
  rig.Configure(19200);
  rig.Send(Text("at^sqwe=1\r"));
  rig.EnterService();
  rig.Exchange(kPing);
  rig.Exchange(kInfo5071);
  rig.Exchange(OpenFrame());
  rig.Exchange(DataFrame(20, Bytes(20, 0)));
  std::vector<std::string> expected{
      "garbage: sent at 19200 8N1, phone listens at 57600 8N1",
      "AT at^sqwe=1", "echo, OK: entering service mode", "now in service mode (57600 8N1)",
      "ping", "ping reply",
      "block info 5071", "block info: length 2408, info 0x04",
      "open 5071 (2408 bytes, info 0x04)", "open accepted",
      "data offset 20 (20 bytes)", "data taken"};
  EXPECT_EQ(meanings, expected);
}
