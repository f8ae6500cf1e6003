#pragma once
// The link's tests run the real code against the simulated phone in virtual
// time and read bytes and waits off the line's transcript.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

#include "link/PhoneJobs.h"
#include "link/SerialPort.h"
#include "sim/ScopedSimPhone.h"
#include "sim/SimSerialDevice.h"
#include "tests/support/TestSupport.h"
#include "texts/ControlIds.h"

namespace link_test {

using Bytes = std::vector<uint8_t>;
using Kind = sim::PortEvent::Kind;
using PhoneSetup = std::function<void(sim::SimPhoneSettings&)>;

// A frame; with check, the payload gets its XOR check byte first.
inline Bytes Frame(uint8_t type, Bytes payload, bool check = false) {
  uint8_t x = 0;
  for (uint8_t byte : payload) x ^= byte;
  if (check) payload.push_back(x);
  Bytes frame = {type, static_cast<uint8_t>(payload.size()), static_cast<uint8_t>(type ^ payload.size())};
  for (uint8_t byte : payload) frame.push_back(byte);
  return frame;
}
inline Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }
inline Bytes operator+(Bytes first, const Bytes& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

const Bytes kPing = {0x02, 0x01, 0x03, 0x14};

// Writes down what a job showed: a status by its ID, a caption as cID, a
// text as itself, a control enabled or disabled as +ID or -ID, a port that
// could not be opened as "x".
struct RecordingView : PhoneJobView {
  void SetItemTextFromId(int control, int id) override { Note((control == IDC_POWER ? "c" : "") + std::to_string(id)); }
  void SetItemText(int, const char* text) override { Note(text); }
  void EnableItem(int control, int enable) override { Note((enable ? "+" : "-") + std::to_string(control)); }
  void OnPortNotOpened() override { Note("x"); }
  void Note(const std::string& call) {
    calls += (calls.empty() ? "" : " ") + call;
    if (onCall) onCall(call);
  }
  std::function<void(const std::string&)> onCall;
  std::string calls;
};

// What ends every block write: the close of block 5071 and the two finishing frames.
const std::vector<Bytes> kClosingFrames = {Frame(0x14, {0x13, 0xCF, 0x13}, true), Frame(0x14, {0x08}, true),
                                           Frame(0x14, {0x18}, true)};

// A simulated phone on COM1 (a healthy one until Phone replaces it) and a
// port to open on it, in a folder of its own for what the link logs.
class SimLinkTest : public ::testing::Test {
 protected:
  // The port, if open, is closed first.
  void Phone(sim::PhoneState state, const PhoneSetup& setup = [](sim::SimPhoneSettings&) {}) {
    sim::SimPhoneSettings settings;
    settings.initialState = state;
    setup(settings);
    port.ComClose();
    sim.reset();  // the old phone uninstalls itself first
    sim = std::make_unique<sim::ScopedSimPhone>(settings);
  }
  sim::SimPhoneSettings& Settings() { return sim->phone.Settings(); }
  // Opens COM1; the transcript counts from here.
  void Open(uint32_t baud = 57600) {
    ASSERT_EQ(port.ComOpen(0, baud), 1);
    sim->line.Log().Clear();
  }
  // Makes the phone deaf and answers each write of the host with the next
  // of `replies` (an empty one: nothing), 2 ms after it arrived, at the
  // phone's settings: for replies no phone would give.
  void Script(std::vector<Bytes> replies) {
    Settings().silent = true;
    script.assign(replies.begin(), replies.end());
    sim->phone.onEvent = [this](const sim::PhoneEvent& event) {
      if (event.kind != sim::PhoneEvent::Kind::FromHost || script.empty()) return;
      const Bytes next = script.front();
      script.pop_front();
      if (!next.empty()) sim->phone.PutOnLine(next, event.atUs + 2000);
    };
  }
  void TearDown() override { port.ComClose(); }

  std::vector<Bytes> Writes() const { return sim->line.Log().HostWrites(); }
  std::vector<Bytes> LastWrites(size_t n) const {
    const std::vector<Bytes> writes = Writes();
    return std::vector<Bytes>(writes.end() - static_cast<long>(std::min(n, writes.size())), writes.end());
  }

  testing_support::ScopedWorkDir dir;
  std::unique_ptr<sim::ScopedSimPhone> sim = std::make_unique<sim::ScopedSimPhone>();
  SerialPort port;
  std::deque<Bytes> script;
};

}  // namespace link_test
