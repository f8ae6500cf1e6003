// The pieces of "quavrel phone-sim" that do not need a pseudo-terminal: its
// options, the eeprom file, and the real-time runner on a scripted line.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "SimRig.h"
#include "cli/QuavrelMain.h"
#include "sim/EepromFile.h"
#include "sim/PhoneRunner.h"
#include "sim/PhoneSimOptions.h"
#include "tests/support/TestSupport.h"

using namespace simtest;
using sim::PhoneState;

TEST(PhoneSimOptions, FaultKnobsSetTheirSettings) {
  sim::SimPhoneSettings phone;
  for (const char* knob : {"silent", "error-at-every-rate", "delay=300", "split=60", "drop-data=2", "refuse-data=3",
                           "refuse-offset=40", "oversized=info", "block-length=2400", "boot-noise=3", "no-a5",
                           "key-released"})
    ASSERT_EQ(sim::ApplyFaultKnob(knob, &phone), "") << knob;
  EXPECT_TRUE(phone.silent && phone.errorAtEveryRate && phone.noBootConfirm && !phone.powerKeyHeld);
  EXPECT_EQ(phone.replyDelayMs, 300u);
  EXPECT_EQ(phone.splitGapMs, 60u);
  EXPECT_EQ(phone.dropDataReplies, 2);
  EXPECT_EQ(phone.refuseDataSends, 3);
  EXPECT_EQ(phone.refuseOffset, 40);
  EXPECT_EQ(phone.oversizedReplyTo, sim::Request::BlockInfo);
  EXPECT_EQ(phone.blockLength, 2400);
  EXPECT_EQ(phone.bootNoiseBytes, 3);

  for (const char* knob : {"loud", "delay", "delay=-1", "delay=1x", "silent=1", "oversized=everything",
                           "block-length=0", "refuse-offset=70000", "split=0"})
    EXPECT_NE(sim::ApplyFaultKnob(knob, &phone), "") << knob;
}

TEST(PhoneSimCommand, WrongUsageIsRefusedBeforeAnythingStarts) {
  testing_support::ScopedWorkDir dir;
  const std::vector<std::vector<std::string>> bad{
      {"--rate"}, {"--rate", "fast"}, {"--rate", "0"}, {"--state", "sleeping"}, {"--port", "COM1"},
      {"--fault", "loud"}, {"--eeprom", "a.bin", "--eeprom", "b.bin"}, {"extra"}};
  for (const auto& args : bad) {
    std::vector<std::string> line{"quavrel", "phone-sim"};
    line.insert(line.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : line) argv.push_back(arg.data());
    std::ostringstream out, err;
    EXPECT_EQ(QuavrelMain(static_cast<int>(argv.size()), argv.data(), out, err), 2) << line[2];
    EXPECT_TRUE(out.str().empty());
    EXPECT_NE(err.str().find("phone-sim"), std::string::npos) << err.str();
  }
}

TEST(EepromFile, LoadsOnlyAWholeBlockAndSavesWithoutLeftovers) {
  testing_support::ScopedWorkDir dir;
  std::vector<uint8_t> block;
  std::string error;
  EXPECT_EQ(sim::LoadEeprom("block.bin", 2408, &block, &error), sim::EepromLoad::Missing);

  testing_support::WriteFile("short.bin", std::string(100, 'x'));
  EXPECT_EQ(sim::LoadEeprom("short.bin", 2408, &block, &error), sim::EepromLoad::Failed);
  EXPECT_NE(error.find("100 bytes"), std::string::npos) << error;

  Bytes image = TestImage();
  ASSERT_TRUE(sim::SaveEeprom("block.bin", image, &error)) << error;
  ASSERT_TRUE(sim::SaveEeprom("block.bin", image, &error)) << "replaces an existing file";
  EXPECT_FALSE(std::filesystem::exists("block.bin.part"));
  EXPECT_EQ(sim::LoadEeprom("block.bin", 2408, &block, &error), sim::EepromLoad::Loaded);
  EXPECT_EQ(block, image);

  EXPECT_FALSE(sim::SaveEeprom("no-such-folder/block.bin", image, &error));
  EXPECT_FALSE(std::filesystem::exists("no-such-folder"));
}

namespace {
// A line on which the test plays the tool.
class ScriptedSide : public sim::PhoneSideLine {
 public:
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
  std::vector<bool> TakeDtrChanges() override {
    std::vector<bool> changes;
    changes.swap(dtr);
    return changes;
  }
  bool CanSeeDtr() override { return canSeeDtr; }

  Bytes toPhone, toTool;
  sim::WireSettings settings = sim::Settings8N1(57600);
  std::vector<bool> dtr;
  bool canSeeDtr = false;
};

// Turns the runner until `count` bytes reached the tool or a generous bound
// of turns passed (each turn waits for the phone's next due time).
Bytes Collect(sim::PhoneRunner& runner, ScriptedSide& side, size_t count) {
  for (int turn = 0; turn < 400 && side.toTool.size() < count; ++turn) runner.Step(5);
  return side.toTool;
}
}  // namespace

TEST(PhoneRunner, AnswersOnRealTimeWithTheBytesTheToolCanRead) {
  sim::SimPhone phone(PhoneIn(PhoneState::Service));
  ScriptedSide side;
  sim::PhoneRunner runner(phone, side);
  side.toPhone = kPing;
  EXPECT_EQ(Collect(runner, side, kPingReply.size()), kPingReply);

  side.toTool.clear();
  side.toPhone = kPing;
  runner.Step(0);
  side.settings = sim::Settings8N1(19200);  // the tool changed rate before the reply came
  Bytes garbled = Collect(runner, side, kPingReply.size());
  EXPECT_EQ(garbled.size(), kPingReply.size());
  EXPECT_NE(garbled, kPingReply);
}

TEST(PhoneRunner, BootNeedsTheDtrPulseOnlyWhereTheLineShowsIt) {
  sim::SimPhone phone(PhoneIn(PhoneState::Off));
  ScriptedSide side;
  side.settings = sim::Settings8E1(19200);
  side.settings.parityKnown = false;  // a bare pseudo-terminal
  sim::PhoneRunner runner(phone, side);
  side.toPhone = {0x55};
  EXPECT_EQ(Collect(runner, side, 1), Bytes{0xA0});

  sim::SimPhone reported(PhoneIn(PhoneState::Off));
  ScriptedSide withEvents;
  withEvents.settings = sim::Settings8E1(19200);
  withEvents.canSeeDtr = true;
  sim::PhoneRunner strict(reported, withEvents);
  withEvents.toPhone = {0x55};
  for (int turn = 0; turn < 20; ++turn) strict.Step(1);
  EXPECT_TRUE(withEvents.toTool.empty());
  withEvents.dtr = {true};
  withEvents.toPhone = {0x55};
  EXPECT_EQ(Collect(strict, withEvents, 1), Bytes{0xA0});
}

TEST(PhoneRunner, LogLinesReadAsWhatHappened) {
  sim::PhoneEvent request{sim::PhoneEvent::Kind::FromHost, 1234567, sim::Settings8N1(57600), kPing, "ping"};
  EXPECT_EQ(sim::FormatPhoneEvent(request), "    1.235 s  tool -> phone  57600 8N1  ping  [02 01 03 14]");
  sim::PhoneEvent boot{sim::PhoneEvent::Kind::FromHost, 0, sim::Settings8E1(19200), BootBlock(), "boot block"};
  std::string line = sim::FormatPhoneEvent(boot);
  EXPECT_NE(line.find("19200 8E1  boot block  [68 A5 A8"), std::string::npos) << line;
  EXPECT_NE(line.find(" ... 106 bytes]"), std::string::npos) << line;
  sim::PhoneEvent note{sim::PhoneEvent::Kind::Note, 2000000, {}, {}, "now off"};
  EXPECT_EQ(sim::FormatPhoneEvent(note), "    2.000 s  phone          now off");
}
