// The line between host and phone: bytes are understood only where both
// ends agree on the settings, the simulated port takes a byte's time on the
// line and is opened as CreateFileA opens one, and the real-time runner of
// "quavrel phone-sim" passes on the DTR its line reports.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "SimRig.h"
#include "sim/PhoneRunner.h"
#include "sim/WireSettings.h"
#include "sys/SystemInfo.h"

using namespace simtest;
using sim::PhoneState;

TEST(SimPhoneLine, RepliesAtOtherSettingsAreGarbage) {
  Rig rig(PhoneIn(PhoneState::Service));
  for (uint8_t parity : {sim::kNoParity, sim::kEvenParity}) {
    rig.Configure(57600);
    rig.Send(kPing);
    rig.Configure(parity ? 57600 : 19200, parity);  // before the reply comes
    Bytes got = rig.Read();
    EXPECT_EQ(got.size(), kPingReply.size());
    EXPECT_NE(got, kPingReply);
  }
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

// A write in virtual time moves what fits on the line by its time-out; that
// reads and writes end with their count or at their time-out otherwise is
// the serial contract's, and how long replies take shows in the link's tests.
TEST(SimSerialDevice, AWriteMovesWhatTheLineCarriesByItsTimeOut) {
  Rig rig(PhoneIn(PhoneState::Service));
  rig.Configure(19200, sim::kEvenParity);
  rig.Timeouts(45, 45);
  uint64_t start = rig.clock.NowUs();
  EXPECT_EQ(rig.Send(BootBlock()), 78u);  // 11 bits a byte at 19200: 78 of 106 fit in 45 ms
  EXPECT_EQ(rig.clock.NowUs() - start, 45000u);
}

TEST(SimSerialOpener, RefusesAHeldPortAndAReopenedPortStartsEmpty) {
  Rig rig(PhoneIn(PhoneState::Service));  // holds COM1
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

namespace {
// The tool's end, at the boot loader's settings, on a line that shows DTR;
// the tool's bytes come one at a time.
struct ScriptedSide : sim::PhoneSideLine {
  int Read(uint8_t* buffer, size_t, int timeoutMs) override {
    if (toPhone.empty()) return std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs)), 0;
    *buffer = toPhone.front();
    toPhone.erase(toPhone.begin());
    return 1;
  }
  bool Write(const uint8_t* bytes, size_t count) override {
    return toTool.insert(toTool.end(), bytes, bytes + count), true;
  }
  sim::WireSettings Settings() override { return settings; }
  std::vector<bool> TakeDtrChanges() override { return std::exchange(dtr, {}); }
  bool CanSeeDtr() override { return true; }

  Bytes toPhone, toTool;
  sim::WireSettings settings = sim::Settings8E1(19200);
  std::vector<bool> dtr;
};
}  // namespace

TEST(PhoneRunner, PassesOnTheDtrTheLineReports) {
  sim::SimPhone phone(PhoneIn(PhoneState::Off));
  phone.SetCanSeeDtr(false);  // as the pty host starts it: the line tells
  ScriptedSide side;
  sim::PhoneRunner runner(phone, side);
  // Turns the runner until a byte reached the tool, within a bound of turns
  // (each waits at most until the phone's next due time).
  auto collect = [&](int turns) {
    for (int turn = 0; turn < turns && side.toTool.empty(); ++turn) runner.Step(5);
    return std::exchange(side.toTool, {});
  };
  side.toPhone = {0x55};
  EXPECT_TRUE(collect(20).empty()) << "no DTR pulse yet";
  side.dtr = {true};
  side.toPhone = {0x55};
  EXPECT_EQ(collect(400), Bytes{0xA0});

}
