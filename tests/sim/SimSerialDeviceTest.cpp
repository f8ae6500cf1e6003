// The simulated port: waits in virtual time as a Win32 port waits, the
// opener's errors, the transcript and the injected device failures.
#include <gtest/gtest.h>

#include <cstring>

#include "SimRig.h"
#include "sim/SimSerialOpener.h"
#include "sys/SystemInfo.h"

using namespace simtest;
using sim::PortEvent;
using sim::PhoneState;

TEST(SimSerialDeviceWaits, ReadEndsWithAllItsBytesOrAtItsTimeOutWithWhatCame) {
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
  EXPECT_EQ(rig.clock.NowUs() - start, 5000 + 3 * sim::ByteTimeUs(sim::Settings8N1(57600)));
  rig.clock.SleepMs(10);
  start = rig.clock.NowUs();
  EXPECT_EQ(rig.Read(5).size(), 5u);
  EXPECT_EQ(rig.clock.NowUs(), start) << "already there: no wait";
}

TEST(SimSerialDeviceWaits, SilentReadCostsExactlyItsTimeOut) {
  Rig rig(PhoneIn(PhoneState::Off));
  for (uint32_t timeout : {50u, 250u, 45u, 20u, 0u}) {
    rig.Timeouts(timeout);
    uint64_t start = rig.clock.NowUs();
    EXPECT_TRUE(rig.Read(34).empty());
    EXPECT_EQ(rig.clock.NowUs() - start, timeout * 1000u);
  }
}

TEST(SimSerialDeviceWrites, TimeOutCutsASlowWriteShort) {
  Rig rig(PhoneIn(PhoneState::Off));
  rig.Configure(19200, sim::kEvenParity);
  rig.Timeouts(45, 45);
  uint64_t start = rig.clock.NowUs();
  EXPECT_EQ(rig.Send(BootBlock()), 78u);  // 11 bits a byte at 19200: 78 of 106 fit in 45 ms
  EXPECT_EQ(rig.clock.NowUs() - start, 45000u);
}

TEST(SimSerialDeviceState, KeepsItsRecordAndDrivesTheModemLines) {
  Rig rig;
  sys::Dcb dcb{}, back{};
  rig.device->GetCommState(&dcb);
  dcb.BaudRate = 19200;
  dcb.XonChar = 0x6E;
  dcb.fOutxCtsFlow = 1;
  ASSERT_TRUE(rig.device->SetCommState(dcb));
  rig.device->GetCommState(&back);
  EXPECT_EQ(std::memcmp(&dcb, &back, sizeof dcb), 0);
  dcb.BaudRate = 0;
  EXPECT_FALSE(rig.device->SetCommState(dcb));

  EXPECT_FALSE(rig.line.Dtr());
  rig.Dtr(true);
  rig.device->EscapeCommFunction(sys::kSetRts);
  EXPECT_TRUE(rig.line.Dtr() && rig.line.Rts());

  rig.line.faults.escapeFails = true;  // as on a pty without modem lines
  EXPECT_FALSE(rig.device->EscapeCommFunction(sys::kClrDtr));
  EXPECT_EQ(sys::LastError(), 50u);
  rig.device.reset();  // closing drops both lines
  EXPECT_FALSE(rig.line.Dtr() || rig.line.Rts());
}

TEST(SimSerialDeviceTranscript, RecordsWritesReadsAndLineChangesInOrder) {
  Rig rig(PhoneIn(PhoneState::Service));
  rig.line.Log().Clear();
  rig.Exchange(kPing);
  rig.Configure(19200, sim::kEvenParity);
  rig.Dtr(true);
  rig.Send({0x55});

  EXPECT_EQ(rig.line.Log().HostWrites(), (std::vector<Bytes>{kPing, {0x55}}));
  EXPECT_EQ(rig.line.Log().HostBytes(), (Bytes{0x02, 0x01, 0x03, 0x14, 0x55}));
  EXPECT_EQ(rig.line.Log().ReceivedBytes(), kPingReply);
  std::vector<PortEvent> events = rig.line.Log().Events();
  std::vector<PortEvent::Kind> kinds;
  for (const PortEvent& event : events) kinds.push_back(event.kind);
  using K = PortEvent::Kind;
  EXPECT_EQ(kinds, (std::vector<K>{K::Write, K::Read, K::Settings, K::Dtr, K::Write}));
  EXPECT_EQ(events[1].requested, 34u);
  EXPECT_EQ(events[1].DurationMs(), 50u);
  EXPECT_EQ(events[4].settings.parity, sim::kEvenParity);
  for (size_t i = 1; i < events.size(); ++i) EXPECT_GE(events[i].atUs, events[i - 1].endUs);
}

TEST(SimSerialOpener, MapsNamesAndRefusesUnknownOrHeldPorts) {
  sim::VirtualClock clock;
  sim::SimPhone phone(PhoneIn(PhoneState::Service));
  sim::SimLine line(phone, clock);
  sim::SimSerialOpener opener;
  opener.Attach("COM2", line);
  EXPECT_EQ(opener.Open("COM1"), nullptr);
  EXPECT_EQ(sys::LastError(), 2u);
  std::unique_ptr<sys::SerialDevice> first(opener.Open("com2"));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(opener.Open("COM2"), nullptr);
  EXPECT_EQ(sys::LastError(), 5u);

  unsigned count = 0;
  first->WriteFile(kPing.data(), 4, &count);  // the reply comes while nobody listens
  first.reset();
  clock.SleepMs(100);
  std::unique_ptr<sys::SerialDevice> again(opener.Open("COM2"));
  ASSERT_NE(again, nullptr);
  sys::CommTimeouts timeouts{0, 0, 50, 0, 50};
  again->SetCommTimeouts(timeouts);
  Bytes buffer(34);
  again->ReadFile(buffer.data(), 34, &count);
  EXPECT_EQ(count, 0u);
}
