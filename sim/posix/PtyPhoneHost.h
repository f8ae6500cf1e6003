#pragma once
// The simulated phone served on a pseudo-terminal (POSIX only).
#include <atomic>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>

#include "sim/PhoneSimOptions.h"
#include "sim/posix/PtyLine.h"
#include "sim/SimPhone.h"

namespace sim {

class PtyPhoneHost {
 public:
  explicit PtyPhoneHost(const PhoneSimOptions& options);
  ~PtyPhoneHost();

  // Loads the eeprom file if present, opens the pty and starts following the
  // line events if asked to; false with the reason in *error.
  bool Start(std::string* error);
  const std::string& DevicePath() const { return pty_.SlavePath(); }
  // Serves until `stop` is set or the pty fails; false on failure.
  bool Run(const std::atomic<bool>& stop);
  // Where the exchange log goes (nullptr: nowhere); lines are flushed.
  void SetLog(std::ostream* log) { log_ = log; }
  // Failed saves of the eeprom file so far; the last reason in *error.
  int SaveFailures(std::string* error) const;

  SimPhone& Phone() { return phone_; }

 private:
  class Side;
  void LogLine(const std::string& line);

  PhoneSimOptions options_;
  SimPhone phone_;
  PtyLine pty_;
  std::unique_ptr<Side> side_;
  std::ostream* log_ = nullptr;
  int saveFailures_ = 0;
  std::string saveError_;
};

}  // namespace sim
