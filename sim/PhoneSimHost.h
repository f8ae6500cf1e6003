#pragma once
// "quavrel phone-sim": the simulated phone on a pseudo-terminal, on real
// time, until stopped. Prints the device path for the tool's --port as the
// first line of `out`, logs each exchange readably to standard error, a
// log file or nowhere, and keeps block 5071 in the eeprom file if one is
// given. Pseudo-terminals are POSIX; on Windows it only says so.
#include <atomic>
#include <ostream>

#include "sim/PhoneSimOptions.h"

namespace sim {

// 0 when stopped cleanly, 1 when it could not start or a save failed (the
// reason on `err`).
int ServePhoneOnPty(const PhoneSimOptions& options, std::ostream& out, std::ostream& err,
                    const std::atomic<bool>& stop);

}  // namespace sim
