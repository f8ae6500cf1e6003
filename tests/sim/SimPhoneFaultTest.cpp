// Each fault knob changes the phone's behaviour as a host will meet it.
#include <gtest/gtest.h>

#include "SimRig.h"

using namespace simtest;
using sim::PhoneState;

namespace {
sim::SimPhoneSettings Service() { return PhoneIn(PhoneState::Service); }
const Bytes kTaken = Frame(0x14, {0x12, 0x12});
const Bytes kRefused = BlockFrame({0x13, 0x12});
}  // namespace

TEST(SimPhoneFaults, SilentPhoneAnswersNothingInAnyState) {
  for (PhoneState state : {PhoneState::Normal, PhoneState::Service, PhoneState::Off}) {
    sim::SimPhoneSettings settings = PhoneIn(state);
    settings.silent = true;
    Rig rig(settings);
    rig.Dtr(true);
    for (uint32_t baud : {57600u, 19200u}) {
      rig.Configure(baud, baud == 19200 ? sim::kEvenParity : sim::kNoParity);
      rig.Send(Text("at^sqwe=1\r"));
      rig.Send(kPing);
      rig.Send({0x55});
      EXPECT_TRUE(rig.Read(256).empty());
    }
    EXPECT_EQ(rig.phone.State(), state);
  }
}

TEST(SimPhoneFaults, ErrorAtEveryRateStillTakesTheFallback) {
  sim::SimPhoneSettings settings;
  settings.errorAtEveryRate = true;
  Rig rig(settings);
  rig.Timeouts(250);
  for (uint32_t baud : {19200u, 115200u, 57600u, 38400u}) {
    rig.Configure(baud);
    rig.Send(Text("at^sqwe=1\r"));
    EXPECT_EQ(rig.Read(256), Text("at^sqwe=1\r\r\nERROR\r\n")) << baud;
  }
  rig.Configure(19200);
  rig.Send(Text("at^sbf"));
  EXPECT_EQ(rig.Read(256), Text("at^sbf"));
  rig.Send(Text("b=1\r"));
  EXPECT_EQ(rig.Read(256), Text("b=1\r\r\nOK\r\n"));
  EXPECT_EQ(rig.phone.State(), PhoneState::Service);
}

TEST(SimPhoneFaults, ReplyDelayAndSplitReplies) {
  sim::SimPhoneSettings settings = Service();
  settings.replyDelayMs = 70;
  Rig rig(settings);
  EXPECT_TRUE(rig.Exchange(kPing).empty()) << "not within one 50 ms read";
  EXPECT_EQ(rig.Read(), kPingReply);

  settings.replyDelayMs = 2;
  settings.splitGapMs = 60;
  Rig split(settings);
  // The type byte alone in one read, the rest in the next.
  EXPECT_EQ(split.Exchange(kPing), Bytes{0x02});
  EXPECT_EQ(split.Read(), Bytes(kPingReply.begin() + 1, kPingReply.end()));
}

TEST(SimPhoneFaults, DroppedDataRepliesStillStoreTheChunk) {
  sim::SimPhoneSettings settings = Service();
  settings.dropDataReplies = 2;
  Rig rig(settings);
  rig.Exchange(OpenFrame());
  Bytes chunk(20, 0x5A);
  EXPECT_TRUE(rig.Exchange(DataFrame(40, chunk)).empty());
  EXPECT_EQ(Bytes(rig.phone.Block().begin() + 40, rig.phone.Block().begin() + 60), chunk);
  EXPECT_TRUE(rig.Exchange(DataFrame(40, chunk)).empty());
  EXPECT_EQ(rig.Exchange(DataFrame(40, chunk)), kTaken);
  // Counted per chunk: the next one starts again.
  EXPECT_TRUE(rig.Exchange(DataFrame(60, chunk)).empty());
  EXPECT_EQ(rig.phone.SendsOfChunk(40), 3);
}

TEST(SimPhoneFaults, RefusedChunksForSomeSendsOrAlwaysAtOneOffset) {
  sim::SimPhoneSettings settings = Service();
  settings.refuseDataSends = 1;
  settings.refuseOffset = 20;
  Rig rig(settings);
  rig.Exchange(OpenFrame());
  Bytes chunk(20, 0x33);
  EXPECT_EQ(rig.Exchange(DataFrame(0, chunk)), kRefused);
  EXPECT_EQ(rig.phone.Block()[0], 0xFF) << "a refused chunk is not stored";
  EXPECT_EQ(rig.Exchange(DataFrame(0, chunk)), kTaken);
  for (int send = 0; send < 10; ++send) EXPECT_EQ(rig.Exchange(DataFrame(20, chunk)), kRefused);
  EXPECT_EQ(rig.phone.Block()[20], 0xFF);
}

TEST(SimPhoneFaults, OversizedReplyToTheChosenRequestOnly) {
  sim::SimPhoneSettings settings = Service();
  settings.oversizedReplyTo = sim::Request::BlockInfo;
  Rig rig(settings);
  EXPECT_EQ(rig.Exchange(kPing), kPingReply);
  rig.Send(kInfo5071);
  Bytes reply = rig.Read(64);
  ASSERT_EQ(reply.size(), 43u);
  EXPECT_EQ(reply[0], 0x14);
  EXPECT_EQ(reply[1], 40);
  EXPECT_EQ(reply[2], 0x14 ^ 40);
}

TEST(SimPhoneFaults, OtherBlockLengthIsReportedAndHeld) {
  sim::SimPhoneSettings settings = Service();
  settings.blockLength = 2400;
  Rig rig(settings);
  EXPECT_EQ(rig.Exchange(kInfo5071), Frame(0x14, {0x15, 0x60, 0x09, 0x04, 0x15 ^ 0x60 ^ 0x09 ^ 0x04}));
  EXPECT_EQ(rig.phone.Block().size(), 2400u);
  EXPECT_EQ(rig.Exchange(OpenFrame(2408)), BlockFrame({0x13, 0x11}));
}

TEST(SimPhoneFaults, NoiseBeforeTheFirstReadyByteOnly) {
  sim::SimPhoneSettings settings = PhoneIn(PhoneState::Off);
  settings.bootNoiseBytes = 2;
  Rig rig(settings);
  rig.Configure(19200, sim::kEvenParity);
  rig.Timeouts(45);
  rig.Dtr(true);
  rig.Send({0x55});
  Bytes first = rig.Read(8);
  ASSERT_EQ(first.size(), 3u);
  EXPECT_NE(first[0], 0xA0);
  EXPECT_NE(first[1], 0xA0);
  EXPECT_EQ(first[2], 0xA0);
  // A new handshake after a fresh pulse is clean.
  rig.Dtr(false);
  rig.Dtr(true);
  rig.Send({0x55});
  EXPECT_EQ(rig.Read(8), Bytes{0xA0});
}

TEST(SimPhoneFaults, NoConfirmationLeavesThePhoneOff) {
  sim::SimPhoneSettings settings = PhoneIn(PhoneState::Off);
  settings.noBootConfirm = true;
  Rig rig(settings);
  rig.Configure(19200, sim::kEvenParity);
  rig.Timeouts(45);
  rig.Dtr(true);
  rig.Send({0x55});
  EXPECT_EQ(rig.Read(1), Bytes{0xA0});
  rig.Send(BootBlock());
  EXPECT_TRUE(rig.Read(1).empty());
  EXPECT_EQ(rig.phone.State(), PhoneState::Off);
}
