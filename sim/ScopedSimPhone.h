#pragma once
// A simulated phone on a named port, installed as the process's clock and
// serial opener for its lifetime: all a test of the phone link needs to
// run the real code against the phone in virtual time.
#include <string>

#include "sim/SimLine.h"
#include "sim/SimPhone.h"
#include "sim/SimSerialOpener.h"
#include "sim/VirtualClock.h"
#include "sys/Clock.h"
#include "sys/Serial.h"

namespace sim {

class ScopedSimPhone {
 public:
  explicit ScopedSimPhone(const SimPhoneSettings& settings = {}, const std::string& port = "COM1")
      : phone(settings), line(phone, clock) {
    opener.Attach(port, line);
    sys::SetClock(&clock);
    sys::SetSerialOpener(&opener);
  }
  ~ScopedSimPhone() {
    sys::SetSerialOpener(nullptr);
    sys::SetClock(nullptr);
  }
  ScopedSimPhone(const ScopedSimPhone&) = delete;
  ScopedSimPhone& operator=(const ScopedSimPhone&) = delete;

  VirtualClock clock;
  SimPhone phone;
  SimLine line;
  SimSerialOpener opener;
};

}  // namespace sim
