#pragma once
// What "quavrel phone-sim" is told: the phone's settings and fault knobs,
// and where its block and its log go; with the parsers for the values its
// options take.
#include <string>

#include "sim/SimPhoneSettings.h"

namespace sim {

struct PhoneSimOptions {
  SimPhoneSettings phone;
  std::string eepromFile;      // empty: the block lives only as long as the run
  std::string lineEventsPath;  // the modem-line preload library's events
  std::string logFile;         // empty: the exchange log goes to standard error
  bool quiet = false;
};

// One fault knob, as "silent" or "delay=300"; empty on success, else what is
// wrong, for the user.
std::string ApplyFaultKnob(const std::string& knob, SimPhoneSettings* settings);
// "normal", "service" or "off".
bool ParsePhoneState(const std::string& name, PhoneState* state);
// A rate in baud, 300 to 4000000, digits only.
bool ParseBaudRate(const std::string& text, uint32_t* baud);

}  // namespace sim
