// Each fault knob changes the phone's behaviour as a host will meet it.
#include <gtest/gtest.h>

#include "SimRig.h"

using namespace simtest;
using sim::PhoneState;

namespace {
Rig& Opened(Rig& rig) {
  rig.Exchange(OpenFrame());
  return rig;
}
}  // namespace

TEST(SimPhoneFaults, SilentPhoneAnswersNothingInAnyState) {
  for (PhoneState state : {PhoneState::Normal, PhoneState::Service, PhoneState::Off}) {
    sim::SimPhoneSettings settings = PhoneIn(state);
    settings.silent = true;
    Rig rig(settings);
    rig.Send(Text("at^sqwe=1\r"));
    rig.Send(kPing);
    EXPECT_TRUE(rig.Read(256).empty());
    EXPECT_TRUE(rig.Sync().empty());
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
  rig.Send(Text("at^sbf"));  // half a command: echoed only
  EXPECT_EQ(rig.Read(256), Text("at^sbf"));
  rig.Send(Text("b=1\r"));
  EXPECT_EQ(rig.Read(256), Text("b=1\r\r\nOK\r\n"));
  EXPECT_EQ(rig.phone.State(), PhoneState::Service);
}

TEST(SimPhoneFaults, DelayedAndSplitReplies) {
  sim::SimPhoneSettings settings = PhoneIn(PhoneState::Service);
  settings.replyDelayMs = 70;
  Rig late(settings);
  EXPECT_TRUE(late.Exchange(kPing).empty()) << "not within one 50 ms read";
  EXPECT_EQ(late.Read(), kPingReply);

  settings.replyDelayMs = 2;
  settings.splitGapMs = 60;
  Rig split(settings);
  EXPECT_EQ(split.Exchange(kPing), Bytes{0x02});
  EXPECT_EQ(split.Read(), Bytes(kPingReply.begin() + 1, kPingReply.end()));
}

TEST(SimPhoneFaults, DroppedAndRefusedDataReplies) {
  sim::SimPhoneSettings settings = PhoneIn(PhoneState::Service);
  settings.dropDataReplies = 2;
  Rig drops(settings);
  Opened(drops);
  Bytes chunk(20, 0x5A);
  for (int send = 0; send < 2; ++send) EXPECT_TRUE(drops.Exchange(DataFrame(40, chunk)).empty());
  EXPECT_EQ(drops.phone.Block()[40], 0x5A) << "stored all the same";
  EXPECT_EQ(drops.Exchange(DataFrame(40, chunk)), kTaken);
  EXPECT_TRUE(drops.Exchange(DataFrame(60, chunk)).empty()) << "counted per chunk";

  settings = PhoneIn(PhoneState::Service);
  settings.refuseDataSends = 1;
  settings.refuseOffset = 20;
  Rig refuses(settings);
  Opened(refuses);
  EXPECT_EQ(refuses.Exchange(DataFrame(0, chunk)), kDataRefused);
  EXPECT_EQ(refuses.phone.Block()[0], 0xFF) << "a refused chunk is not stored";
  EXPECT_EQ(refuses.Exchange(DataFrame(0, chunk)), kTaken);
  for (int send = 0; send < 10; ++send) EXPECT_EQ(refuses.Exchange(DataFrame(20, chunk)), kDataRefused);
}

TEST(SimPhoneFaults, OversizedReplyAndOtherBlockLength) {
  sim::SimPhoneSettings settings = PhoneIn(PhoneState::Service);
  settings.oversizedReplyTo = sim::Request::BlockInfo;
  settings.blockLength = 2400;
  Rig rig(settings);
  EXPECT_EQ(rig.Exchange(kPing), kPingReply);
  rig.Send(kInfo5071);
  Bytes reply = rig.Read(64);
  ASSERT_EQ(reply.size(), 43u);
  EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 3), (Bytes{0x14, 40, 0x14 ^ 40}));
  rig.phone.Settings().oversizedReplyTo = sim::Request::None;
  EXPECT_EQ(rig.Exchange(kInfo5071), BlockFrame({0x15, 0x60, 0x09, 0x04}));
  EXPECT_EQ(rig.Exchange(OpenFrame(2408)), kOpenRefused);
}

TEST(SimPhoneFaults, BootNoiseOnceAndNoConfirmation) {
  sim::SimPhoneSettings settings = PhoneIn(PhoneState::Off);
  settings.bootNoiseBytes = 2;
  settings.noBootConfirm = true;
  Rig rig(settings);
  Bytes first = rig.Sync();
  ASSERT_EQ(first.size(), 3u);
  EXPECT_TRUE(first[0] != 0xA0 && first[1] != 0xA0 && first[2] == 0xA0);
  EXPECT_EQ(rig.Sync(), Bytes{0xA0});
  rig.Send(BootBlock());
  EXPECT_TRUE(rig.Read(1).empty());
  EXPECT_EQ(rig.phone.State(), PhoneState::Off);
}
