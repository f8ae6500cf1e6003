#pragma once
// Runs the simulated phone on real time against a real line: hands it the
// tool's bytes as they come, with the settings they came with, and puts its
// bytes on the line when their time on the wire has passed.
#include <atomic>
#include <chrono>
#include <functional>
#include <string>

#include "sim/PhoneSideLine.h"
#include "sim/SimPhone.h"

namespace sim {

class PhoneRunner {
 public:
  PhoneRunner(SimPhone& phone, PhoneSideLine& line);

  // One turn: waits for the tool's bytes at most maxWaitMs, and less when
  // the phone has something due sooner. False when the line failed.
  bool Step(int maxWaitMs);
  // Turns until `stop` is set or the line fails; true when stopped.
  bool Run(const std::atomic<bool>& stop);

  // Microseconds since the runner started: the phone's time base.
  uint64_t NowUs() const;

 private:
  void Deliver(uint64_t nowUs);

  SimPhone& phone_;
  PhoneSideLine& line_;
  std::chrono::steady_clock::time_point start_;
};

// "   1.234 s  tool -> phone  57600 8N1  ping  [02 01 03 14]"
std::string FormatPhoneEvent(const PhoneEvent& event);

}  // namespace sim
