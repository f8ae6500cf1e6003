// The real-time runner that "quavrel phone-sim" puts between the phone and
// its line, on a line scripted by the test.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "SimRig.h"
#include "sim/PhoneRunner.h"

using namespace simtest;

namespace {
// The tool's end, at the boot loader's settings, on a line that shows DTR.
struct ScriptedSide : sim::PhoneSideLine {
  int Read(uint8_t* buffer, size_t size, int timeoutMs) override {
    if (toPhone.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
    size_t count = std::min(size, toPhone.size());
    std::copy(toPhone.begin(), toPhone.begin() + count, buffer);
    toPhone.erase(toPhone.begin(), toPhone.begin() + count);
    return static_cast<int>(count);
  }
  bool Write(const uint8_t* bytes, size_t count) override {
    toTool.insert(toTool.end(), bytes, bytes + count);
    return true;
  }
  sim::WireSettings Settings() override { return settings; }
  std::vector<bool> TakeDtrChanges() override { return std::exchange(dtr, {}); }
  bool CanSeeDtr() override { return true; }

  Bytes toPhone, toTool;
  sim::WireSettings settings = sim::Settings8E1(19200);
  std::vector<bool> dtr;
};

// Turns the runner until `count` bytes reached the tool, within a bound of
// turns (each waits at most until the phone's next due time).
Bytes Collect(sim::PhoneRunner& runner, ScriptedSide& side, size_t count, int turns = 400) {
  for (int turn = 0; turn < turns && side.toTool.size() < count; ++turn) runner.Step(5);
  return std::exchange(side.toTool, {});
}
}  // namespace

TEST(PhoneRunner, PassesOnDtrAndAnswersInTheToolsCurrentSettings) {
  sim::SimPhone phone(PhoneIn(sim::PhoneState::Off));
  phone.SetCanSeeDtr(false);  // as the pty host starts it: the line tells
  ScriptedSide side;
  sim::PhoneRunner runner(phone, side);
  side.toPhone = {0x55};
  EXPECT_TRUE(Collect(runner, side, 1, 20).empty()) << "no DTR pulse yet";
  side.dtr = {true};
  side.toPhone = {0x55};
  EXPECT_EQ(Collect(runner, side, 1), Bytes{0xA0});

  side.dtr = {false, true};  // a new pulse starts the handshake again
  side.toPhone = {0x55};
  runner.Step(0);
  side.settings = sim::Settings8N1(19200);  // the tool changed its parity before the answer came
  Bytes got = Collect(runner, side, 1);
  EXPECT_EQ(got.size(), 1u);
  EXPECT_NE(got, Bytes{0xA0});
}
