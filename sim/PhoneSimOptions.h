#pragma once
// The options of "quavrel phone-sim": the phone's settings and fault knobs
// as the command line gives them, and where its block and log go.
#include <string>
#include <vector>

#include "sim/SimPhoneSettings.h"

namespace sim {

struct PhoneSimOptions {
  SimPhoneSettings phone;
  std::string eepromFile;      // empty: the block lives only as long as the run
  std::string lineEventsPath;  // the modem-line preload library's events
  std::string logFile;         // empty: the exchange log goes to standard error
  bool quiet = false;
};

// Empty on success, else what is wrong, for the user.
std::string ParsePhoneSimArguments(const std::vector<std::string>& args, PhoneSimOptions* options);
// One --fault knob, as "silent" or "delay=300"; empty on success.
std::string ApplyFaultKnob(const std::string& knob, SimPhoneSettings* settings);

}  // namespace sim
