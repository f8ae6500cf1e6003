// The phone commands run in-process against the simulated phone: what they
// print, what the phone then holds, and how Ctrl+C stops them.
#include <cerrno>
#include <csignal>
#include <tuple>

#include "cli/StatusPrinter.h"
#include "sys/ErrorText.h"
#include "sys/Serial.h"
#include "sys/SystemInfo.h"
#include "tests/cli/CliTestSupport.h"
#include "tests/link/LinkTestSupport.h"

namespace link_test {
namespace {

using cli_testing::Contains;
using cli_testing::Quavrel;

sim::SimPhoneSettings PhoneIn(sim::PhoneState state, bool keyHeld = true) {
  sim::SimPhoneSettings settings;
  settings.initialState = state, settings.powerKeyHeld = keyHeld;
  return settings;
}

// Melody 2 ends in a note without its duration.
const std::vector<cli_testing::Melody> kMelodies = {{"C2(1/4) D2(1/8)"}, {"E2(1/4) F2"}};

class PhoneCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override { cli_testing::WriteProject("p.bmt", kMelodies); }
  testing_support::ScopedWorkDir dir;
};

TEST_F(PhoneCommandsTest, UploadWritesWhatEncodeExportsThenThePhoneGoesOffAndOn) {
  sim::ScopedSimPhone phone;
  phone.opener.Attach("/dev/ttySIM", phone.line);
  auto run = Quavrel({"upload", "p.bmt", "--port", "/dev/ttySIM"});
  EXPECT_EQ(run.code, 0) << run.err;
  // Each status in the program's text with its English beside it; the last, with the command to run next.
  EXPECT_TRUE(Contains(run.out, " (the melodies are written)\nnext: to hear them, switch the phone off and on again: "
                                "quavrel power-off --port /dev/ttySIM, then quavrel power-on --port /dev/ttySIM\n"))
      << run.out;
  // The encoder's warnings, as encode gives them.
  EXPECT_TRUE(Contains(run.err, "warning: melody 2, line 1, column 9: \"F2\" gives no note")) << run.err;
  EXPECT_EQ(std::string(phone.phone.Block().begin(), phone.phone.Block().end()), cli_testing::EncodedBlock(kMelodies));

  // Case does not matter in a COMn name.
  EXPECT_EQ(Quavrel({"power-off", "--port", "COM1"}).code, 0);
  EXPECT_EQ(phone.phone.State(), sim::PhoneState::Off);
  EXPECT_EQ(Quavrel({"power-on", "--port", "com1"}).code, 0);
  EXPECT_NE(phone.phone.State(), sim::PhoneState::Off);
}

// Every open fails with the given system error.
struct RefusingOpener : sys::SerialOpener {
  explicit RefusingOpener(int error) : error(error) { sys::SetSerialOpener(this); }
  ~RefusingOpener() override { sys::SetSerialOpener(nullptr); }
  sys::SerialDevice* Open(const char*) override { return sys::SetLastError(static_cast<unsigned>(error)), nullptr; }
  int error;
};

// Each command names the port it cannot open and why; on Linux also the
// device behind a COMn name, and what to do about the reason.
TEST_F(PhoneCommandsTest, APortThatCannotBeOpenedIsNamedWithWhyByEachCommand) {
  std::vector<std::tuple<int, std::string, std::string>> rows = {{2, "COM2", sys::ErrorText(2)}};
#ifndef _WIN32
  rows.insert(rows.end(), {
      {EACCES, "/dev/ttyUSB0", ": Permission denied (your user must be in the group dialout: "
                               "sudo usermod -aG dialout $USER, then log in again)"},
      {EBUSY, "/dev/ttyUSB0", ": Device or resource busy (another program holds the port)"},
      {0, "/dev/null", ": it is not a serial port"},  // 0: the system's own device
      {0, "COM9", " (/dev/ttyS8): "},
  });
#endif
  for (const auto& [error, port, why] : rows) {
    for (const char* command : {"upload", "power-off", "power-on"}) {
      std::unique_ptr<RefusingOpener> opener(error ? new RefusingOpener(error) : nullptr);
      std::vector<std::string> args = {command, "--port", port};
      if (args[0] == "upload") args.insert(args.begin() + 1, "p.bmt");
      auto run = Quavrel(args);
      EXPECT_EQ(run.code, 1) << command;
      EXPECT_EQ(run.out, "") << command;  // neither "Error open: СОМ1" nor a failed power-off
      EXPECT_TRUE(Contains(run.err, std::string("quavrel ") + command + ": cannot open the port '" + port + "'"));
      EXPECT_TRUE(Contains(run.err, why)) << run.err;
    }
  }
  sim::ScopedSimPhone phone;
  EXPECT_EQ(Quavrel({"upload", "missing.bmt", "--port", "COM1"}).code, 1);
  EXPECT_EQ(phone.line.OpenCount(), 0);
}

TEST_F(PhoneCommandsTest, CtrlCStopsEachCommandAtTheNextFrameAndSaysWhatThePhoneHolds) {
  const std::vector<std::string> upload = {"upload", "p.bmt", "--port", "COM1"}, off = {"power-off", "--port", "COM1"};
  // The interrupt comes with the phone's event of meaning `trigger`, the n-th time; writesAfter: what the
  // command sent from then on.
  const struct { sim::SimPhoneSettings phone; std::string trigger; int triggerCount, code; std::vector<std::string> args;
                 std::string message; std::vector<Bytes> writesAfter; sim::PhoneState stateAfter; } rows[] = {
      {PhoneIn(sim::PhoneState::Normal), "ping", 1, 130, upload,
       "quavrel upload: interrupted; nothing was written to the phone", {}, sim::PhoneState::Service},
      // The block is closed, so the phone counts one write.
      {PhoneIn(sim::PhoneState::Normal), "data offset 1000 ", 1, 130, upload,
       "quavrel upload: interrupted while writing: the block was closed, but the phone now holds an incomplete block",
       kClosingFrames, sim::PhoneState::Service},
      {PhoneIn(sim::PhoneState::Service), "ping", 1, 130, off,
       "quavrel power-off: interrupted before the phone was asked to switch off; it is on as it was", {},
       sim::PhoneState::Service},
      // Asked and confirmed: the phone did what was asked.
      {PhoneIn(sim::PhoneState::Service), "power off", 1, 0, off, "", {}, sim::PhoneState::Off},
      {PhoneIn(sim::PhoneState::Off, false), "ignored: off, power key", 20, 130, {"power-on", "--port", "COM1"},
       "quavrel power-on: interrupted; the phone was not switched on", {}, sim::PhoneState::Off},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.trigger);
    sim::ScopedSimPhone phone(row.phone);
    int seen = 0;
    size_t writesAtInterrupt = 0;
    phone.phone.onEvent = [&](const sim::PhoneEvent& event) {
      if (event.meaning.rfind(row.trigger, 0) != 0 || ++seen != row.triggerCount) return;
      writesAtInterrupt = phone.line.Log().HostWrites().size();
      std::raise(SIGINT);
    };
    auto run = Quavrel(row.args);
    EXPECT_EQ(run.code, row.code) << run.err;
    EXPECT_TRUE(Contains(run.err, row.message)) << run.err;
    ASSERT_GE(seen, row.triggerCount);
    const std::vector<Bytes> writes = phone.line.Log().HostWrites();
    EXPECT_EQ(std::vector<Bytes>(writes.begin() + static_cast<long>(writesAtInterrupt), writes.end()), row.writesAfter);
    EXPECT_EQ(phone.phone.State(), row.stateAfter);
    EXPECT_EQ(phone.phone.CompletedWrites(), row.writesAfter.empty() ? 0 : 1);
    EXPECT_FALSE(PhonePort.IsOpen());
  }
}

// On a terminal the progress shares the status lines' stream: each status
// text starts a line of its own after it.
TEST_F(PhoneCommandsTest, ProgressIsOneLineThatEndsBeforeTheNextStatus) {
  std::ostringstream terminal;
  sim::ScopedSimPhone phone(PhoneIn(sim::PhoneState::Off, false));
  StatusPrinter printer(terminal, &terminal, "COM1");
  PowerOptions options;
  options.bootAttempts = &printer;
  PhoneOn = 0;
  EXPECT_EQ(PowerCommand(printer, 0, options), PhoneJobResult::SwitchOnFailed);
  EXPECT_TRUE(Contains(terminal.str(), ")\n\rattempt 1 of 10\rattempt 2 of 10\r")) << terminal.str();
  EXPECT_TRUE(Contains(terminal.str(), "\rattempt 10 of 10\n")) << terminal.str();
}

}  // namespace
}  // namespace link_test
