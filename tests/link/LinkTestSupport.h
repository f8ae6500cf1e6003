#pragma once
// The link's tests run the real code against the simulated phone in virtual
// time and read bytes and waits off the line's transcript.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "link/SerialPort.h"
#include "sim/ScopedSimPhone.h"
#include "sim/SimSerialDevice.h"

namespace link_test {

using Bytes = std::vector<uint8_t>;
using Kind = sim::PortEvent::Kind;

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
inline Bytes Pattern(size_t size, int seed = 0) {
  Bytes data(size);
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>(i * 7 + i / 256 + seed);
  return data;
}
inline sim::SimPhoneSettings PhoneIn(sim::PhoneState state) {
  sim::SimPhoneSettings settings;
  settings.initialState = state;
  return settings;
}

const Bytes kPing = {0x02, 0x01, 0x03, 0x14};
const Bytes kPowerOff = {0x0E, 0x01, 0x0F, 0x04};
const Bytes kServiceCommand = Text("at^sqwe=1\r");

// A simulated phone on COM1 and a port to open on it.
class SimLinkTest : public ::testing::Test {
 protected:
  void Phone(const sim::SimPhoneSettings& settings = {}) {
    sim.reset();  // the old phone uninstalls itself first
    sim = std::make_unique<sim::ScopedSimPhone>(settings);
  }
  sim::SimPhoneSettings& Settings() {
    if (!sim) Phone();
    return sim->phone.Settings();
  }
  // Opens COM1; the transcript and the clock count from here.
  void Open(uint32_t baud = 57600) {
    if (!sim) Phone();
    ASSERT_EQ(port.ComOpen(0, baud), 1);
    sim->line.Log().Clear();
    start = sim->clock.NowUs();
  }
  // Opens COM1 on a device whose reads each take the next of `canned`
  // (an empty one is silence): for replies no phone would give.
  void OpenCanned() {
    Settings().silent = true;
    sys::SetSerialOpener(&cannedOpener);
    Open();
  }
  void TearDown() override { port.ComClose(); }

  uint64_t ElapsedMs() const { return (sim->clock.NowUs() - start) / 1000; }
  std::vector<sim::PortEvent> Events(Kind kind) const { return sim->line.Log().Events(kind); }
  std::vector<Bytes> Writes() const { return sim->line.Log().HostWrites(); }
  int Count(const Bytes& bytes) const {
    const std::vector<Bytes> writes = Writes();
    return static_cast<int>(std::count(writes.begin(), writes.end(), bytes));
  }

  std::unique_ptr<sim::ScopedSimPhone> sim;
  SerialPort port;
  uint64_t start = 0;
  std::deque<Bytes> canned;

 private:
  struct CannedDevice : sim::SimSerialDevice {
    CannedDevice(sim::SimLine& line, std::deque<Bytes>& replies) : SimSerialDevice(line), replies(replies) {}
    bool ReadFile(void* buffer, unsigned count, unsigned* read) override {
      const Bytes next = replies.empty() ? Bytes() : replies.front();
      if (!replies.empty()) replies.pop_front();
      *read = std::min<unsigned>(count, static_cast<unsigned>(next.size()));
      std::copy_n(next.begin(), *read, static_cast<uint8_t*>(buffer));
      return true;
    }
    std::deque<Bytes>& replies;
  };
  struct CannedOpener : sys::SerialOpener {
    explicit CannedOpener(SimLinkTest& test) : test(test) {}
    sys::SerialDevice* Open(const char*) override { return new CannedDevice(test.sim->line, test.canned); }
    SimLinkTest& test;
  } cannedOpener{*this};
};

}  // namespace link_test
