// The pieces of "quavrel phone-sim" that need no pseudo-terminal: its
// options and the real-time runner on a scripted line.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "SimRig.h"
#include "sim/PhoneRunner.h"
#include "sim/PhoneSimOptions.h"

using namespace simtest;
using sim::PhoneState;

TEST(PhoneSimOptions, EachFaultKnobSetsItsSettingAndBadOnesAreRefused) {
  using Check = bool (*)(const sim::SimPhoneSettings&);
  const std::pair<const char*, Check> knobs[] = {
      {"silent", [](const sim::SimPhoneSettings& p) { return p.silent; }},
      {"error-at-every-rate", [](const sim::SimPhoneSettings& p) { return p.errorAtEveryRate; }},
      {"delay=300", [](const sim::SimPhoneSettings& p) { return p.replyDelayMs == 300; }},
      {"split=60", [](const sim::SimPhoneSettings& p) { return p.splitGapMs == 60; }},
      {"drop-data=2", [](const sim::SimPhoneSettings& p) { return p.dropDataReplies == 2; }},
      {"refuse-data=3", [](const sim::SimPhoneSettings& p) { return p.refuseDataSends == 3; }},
      {"refuse-offset=40", [](const sim::SimPhoneSettings& p) { return p.refuseOffset == 40; }},
      {"oversized=info", [](const sim::SimPhoneSettings& p) { return p.oversizedReplyTo == sim::Request::BlockInfo; }},
      {"block-length=2400", [](const sim::SimPhoneSettings& p) { return p.blockLength == 2400; }},
      {"boot-noise=3", [](const sim::SimPhoneSettings& p) { return p.bootNoiseBytes == 3; }},
      {"no-a5", [](const sim::SimPhoneSettings& p) { return p.noBootConfirm; }},
      {"key-released", [](const sim::SimPhoneSettings& p) { return !p.powerKeyHeld; }}};
  for (const auto& [knob, check] : knobs) {
    sim::SimPhoneSettings phone;
    EXPECT_TRUE(sim::ApplyFaultKnob(knob, &phone).empty() && check(phone)) << knob;
  }
  sim::SimPhoneSettings phone;
  for (const char* knob : {"loud", "delay", "delay=-1", "delay=1x", "silent=1", "oversized=all", "block-length=0",
                           "refuse-offset=70000", "split=0"})
    EXPECT_NE(sim::ApplyFaultKnob(knob, &phone), "") << knob;
}

namespace {
// A line on which the test plays the tool.
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
  bool CanSeeDtr() override { return canSeeDtr; }

  Bytes toPhone, toTool;
  sim::WireSettings settings = sim::Settings8N1(57600);
  std::vector<bool> dtr;
  bool canSeeDtr = false;
};

// Turns the runner until `count` bytes reached the tool, within a generous
// bound of turns (each waits at most until the phone's next due time).
Bytes Collect(sim::PhoneRunner& runner, ScriptedSide& side, size_t count, int turns = 400) {
  for (int turn = 0; turn < turns && side.toTool.size() < count; ++turn) runner.Step(5);
  return std::exchange(side.toTool, {});
}
}  // namespace

TEST(PhoneRunner, AnswersInTheToolsSettingsAndAsksForDtrOnlyWhereItIsSeen) {
  sim::SimPhone phone(PhoneIn(PhoneState::Service));
  ScriptedSide side;
  sim::PhoneRunner runner(phone, side);
  side.toPhone = kPing;
  EXPECT_EQ(Collect(runner, side, 5), kPingReply);
  side.toPhone = kPing;
  runner.Step(0);
  side.settings = sim::Settings8N1(19200);  // the tool changed its rate before the reply came
  EXPECT_NE(Collect(runner, side, 5), kPingReply);

  for (bool canSeeDtr : {false, true}) {
    sim::SimPhone off(PhoneIn(PhoneState::Off));
    ScriptedSide line;
    line.settings = sim::Settings8E1(19200);
    line.canSeeDtr = canSeeDtr;
    sim::PhoneRunner booting(off, line);
    line.toPhone = {0x55};
    EXPECT_EQ(Collect(booting, line, 1, canSeeDtr ? 20 : 400), canSeeDtr ? Bytes{} : Bytes{0xA0});
    line.dtr = {true};
    line.toPhone = {0x55};
    EXPECT_EQ(Collect(booting, line, 1), Bytes{0xA0});
  }
}
