// The simulated port waits in virtual time as a Win32 port waits, and is
// opened as CreateFileA opens one.
#include <gtest/gtest.h>

#include "SimRig.h"
#include "sys/SystemInfo.h"

using namespace simtest;
using sim::PhoneState;

TEST(SimSerialDevice, ReadsAndWritesEndWithTheirBytesOrAtTheirTimeOut) {
  sim::SimPhoneSettings settings = PhoneIn(PhoneState::Service);
  settings.replyDelayMs = 5;
  Rig rig(settings);
  rig.Send(kInfo5071);  // answered with 8 bytes
  uint64_t start = rig.clock.NowUs();
  EXPECT_EQ(rig.Read(34).size(), 8u);
  EXPECT_EQ(rig.clock.NowUs() - start, 50000u);

  rig.Send(kInfo5071);
  start = rig.clock.NowUs();
  EXPECT_EQ(rig.Read(3).size(), 3u);
  EXPECT_EQ(rig.clock.NowUs() - start, 5000u + 3 * 174u);  // 10 bits a byte at 57600
  rig.clock.SleepMs(10);
  start = rig.clock.NowUs();
  EXPECT_EQ(rig.Read(5).size(), 5u);
  EXPECT_EQ(rig.clock.NowUs(), start) << "already there: no wait";

  rig.Configure(19200, sim::kEvenParity);
  rig.Timeouts(45, 45);
  start = rig.clock.NowUs();
  EXPECT_EQ(rig.Send(BootBlock()), 78u);  // 11 bits a byte at 19200: 78 of 106 fit in 45 ms
  EXPECT_EQ(rig.clock.NowUs() - start, 45000u);
}

TEST(SimSerialOpener, RefusesUnknownOrHeldPortsAndAReopenedPortStartsEmpty) {
  Rig rig(PhoneIn(PhoneState::Service));  // holds COM1
  EXPECT_EQ(rig.opener.Open("COM2"), nullptr);
  EXPECT_EQ(sys::LastError(), 2u);
  EXPECT_EQ(rig.opener.Open("COM1"), nullptr);
  EXPECT_EQ(sys::LastError(), 5u);

  rig.Send(kPing);  // answered while nobody has the port open
  rig.device.reset();
  rig.clock.SleepMs(100);
  rig.device.reset(rig.opener.Open("com1"));
  ASSERT_NE(rig.device, nullptr);
  rig.Timeouts(50);
  EXPECT_TRUE(rig.Read().empty());
}
