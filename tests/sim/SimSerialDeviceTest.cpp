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

TEST(SimSerialDeviceWaits, ShortReplyReturnsWhatCameAtTheTimeOut) {
  sim::SimPhoneSettings settings = PhoneIn(PhoneState::Service);
  settings.replyDelayMs = 5;
  Rig rig(settings);
  rig.Send(kInfo5071);
  uint64_t start = rig.clock.NowUs();
  Bytes reply = rig.Read(34);
  EXPECT_EQ(reply.size(), 8u);
  EXPECT_EQ(rig.clock.NowUs() - start, 50000u);
}

TEST(SimSerialDeviceWaits, ReadEndsWhenItsLastByteArrives) {
  sim::SimPhoneSettings settings = PhoneIn(PhoneState::Service);
  settings.replyDelayMs = 5;
  Rig rig(settings);
  rig.Send(kInfo5071);
  uint64_t start = rig.clock.NowUs();
  EXPECT_EQ(rig.Read(3).size(), 3u);
  EXPECT_EQ(rig.clock.NowUs() - start, 5000 + 3 * sim::ByteTimeUs(sim::Settings8N1(57600)));
  // The rest is already there: no wait at all.
  uint64_t later = rig.clock.NowUs() + 10000;
  rig.clock.AdvanceToUs(later);
  EXPECT_EQ(rig.Read(5).size(), 5u);
  EXPECT_EQ(rig.clock.NowUs(), later);
}

TEST(SimSerialDeviceWaits, SilentReadCostsExactlyItsTimeOut) {
  Rig rig(PhoneIn(PhoneState::Off));
  for (uint32_t timeout : {50u, 250u, 45u, 20u}) {
    rig.Timeouts(timeout);
    uint64_t start = rig.clock.NowUs();
    EXPECT_TRUE(rig.Read(34).empty());
    EXPECT_EQ(rig.clock.NowUs() - start, timeout * 1000u);
  }
  rig.Timeouts(0, 0);
  uint64_t start = rig.clock.NowUs();
  EXPECT_TRUE(rig.Read(34).empty());
  EXPECT_EQ(rig.clock.NowUs(), start) << "no total time-out: returns at once";
}

TEST(SimSerialDeviceWaits, SleepThroughTheInstalledClockAdvancesTheLine) {
  Rig rig(PhoneIn(PhoneState::Service));
  sys::SetClock(&rig.clock);
  rig.Send(kPing);
  sys::Sleep(100);
  EXPECT_EQ(sys::TickMs(), rig.clock.NowMs());
  rig.Timeouts(0, 0);  // only what has arrived
  EXPECT_EQ(rig.Read(), kPingReply);
  sys::SetClock(nullptr);
}

TEST(SimSerialDeviceWrites, WriteTimeOutCutsASlowWriteShort) {
  Rig rig(PhoneIn(PhoneState::Off));
  rig.Configure(19200, sim::kEvenParity);
  rig.Timeouts(45, 45);
  // 11 bits a byte at 19200: 78 bytes fit in 45 ms, not 106.
  Bytes block = BootBlock();
  uint64_t start = rig.clock.NowUs();
  EXPECT_EQ(rig.Send(block), 78u);
  EXPECT_EQ(rig.clock.NowUs() - start, 45000u);
}

TEST(SimSerialDeviceWrites, InjectedFailuresReportAsWin32Would) {
  Rig rig(PhoneIn(PhoneState::Service));
  rig.line.faults.writeMovesNothing = [](int number, const Bytes& bytes) { return number == 2 || bytes[0] == 0x0E; };
  EXPECT_EQ(rig.Send(kPing), 4u);
  EXPECT_EQ(rig.Send(kPing), 0u);
  EXPECT_EQ(rig.Send(kPowerOff), 0u);
  EXPECT_EQ(rig.phone.State(), PhoneState::Service) << "the failed write never reached the phone";
  rig.line.faults.failedWriteIsError = true;
  unsigned written = 9;
  EXPECT_FALSE(rig.device->WriteFile(kPowerOff.data(), 4, &written));
  EXPECT_EQ(written, 0u);

  sys::Dcb dcb{};
  rig.line.faults.getCommStateFails = true;
  EXPECT_FALSE(rig.device->GetCommState(&dcb));
  rig.line.faults.setCommStateFails = true;
  EXPECT_FALSE(rig.device->SetCommState(dcb));
  rig.line.faults.escapeFails = true;
  EXPECT_FALSE(rig.device->EscapeCommFunction(sys::kSetRts));
  EXPECT_EQ(sys::LastError(), 50u);
  EXPECT_EQ(rig.line.CurrentDcb().BaudRate, 57600u);
}

TEST(SimSerialDeviceState, KeepsTheRecordItIsGivenAndDrivesTheModemLines) {
  Rig rig;
  sys::Dcb dcb{};
  ASSERT_TRUE(rig.device->GetCommState(&dcb));
  dcb.BaudRate = 19200;
  dcb.Parity = sim::kEvenParity;
  dcb.XonChar = 0x6E;
  dcb.fOutxCtsFlow = 1;
  ASSERT_TRUE(rig.device->SetCommState(dcb));
  sys::Dcb back{};
  rig.device->GetCommState(&back);
  EXPECT_EQ(std::memcmp(&dcb, &back, sizeof dcb), 0);
  dcb.BaudRate = 0;
  EXPECT_FALSE(rig.device->SetCommState(dcb));

  EXPECT_FALSE(rig.line.Dtr());
  rig.Dtr(true);
  EXPECT_TRUE(rig.line.Dtr());
  rig.device->EscapeCommFunction(sys::kSetRts);
  rig.device.reset();  // closing drops both lines
  EXPECT_FALSE(rig.line.Dtr());
  EXPECT_FALSE(rig.line.Rts());
}

TEST(SimSerialDeviceTranscript, RecordsWritesReadsAndLineChangesInOrder) {
  Rig rig(PhoneIn(PhoneState::Service));
  rig.line.Log().Clear();
  rig.Exchange(kPing);
  rig.Configure(19200, sim::kEvenParity);
  rig.Dtr(true);
  rig.Send({0x55});
  rig.Dtr(false);

  EXPECT_EQ(rig.line.Log().HostWrites(), (std::vector<Bytes>{kPing, {0x55}}));
  Bytes all = kPing;
  all.push_back(0x55);
  EXPECT_EQ(rig.line.Log().HostBytes(), all);
  EXPECT_EQ(rig.line.Log().ReceivedBytes(), kPingReply);

  std::vector<PortEvent> events = rig.line.Log().Events();
  std::vector<PortEvent::Kind> kinds;
  for (const PortEvent& event : events) kinds.push_back(event.kind);
  using K = PortEvent::Kind;
  EXPECT_EQ(kinds, (std::vector<K>{K::Write, K::Read, K::Settings, K::Dtr, K::Write, K::Dtr}));
  EXPECT_EQ(events[1].requested, 34u);
  EXPECT_EQ(events[1].DurationMs(), 50u);
  EXPECT_EQ(events[4].settings.baud, 19200u);
  EXPECT_EQ(events[4].settings.parity, sim::kEvenParity);
  for (size_t i = 1; i < events.size(); ++i) EXPECT_GE(events[i].atUs, events[i - 1].endUs);
}

TEST(SimSerialOpener, MapsNamesAndRefusesUnknownOrHeldPorts) {
  sim::VirtualClock clock;
  sim::SimPhone phone;
  sim::SimLine line(phone, clock);
  sim::SimSerialOpener opener;
  opener.Attach("COM2", line);

  sys::SetLastError(0);
  EXPECT_EQ(opener.Open("COM1"), nullptr);
  EXPECT_EQ(sys::LastError(), 2u);

  std::unique_ptr<sys::SerialDevice> first(opener.Open("com2"));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(opener.Open("COM2"), nullptr);
  EXPECT_EQ(sys::LastError(), 5u);

  first.reset();
  std::unique_ptr<sys::SerialDevice> again(opener.Open("COM2"));
  EXPECT_NE(again, nullptr);
  EXPECT_EQ(line.OpenCount(), 2);
}

TEST(SimSerialOpener, BytesThatArriveWhileClosedAreLost) {
  Rig rig(PhoneIn(PhoneState::Service));
  rig.Send(kPing);
  rig.device.reset();
  rig.clock.SleepMs(100);
  rig.device = std::make_unique<sim::SimSerialDevice>(rig.line);
  rig.Timeouts(50);
  EXPECT_TRUE(rig.Read().empty());
}
