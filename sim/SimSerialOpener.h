#pragma once
// Port names ("COM1", ...) mapped to simulated lines, for installing with
// sys::SetSerialOpener. As CreateFileA does: an unknown name fails with last
// error 2 (file not found), a port that is already open with 5 (access
// denied: no sharing).
#include <map>
#include <mutex>
#include <string>

#include "sim/SimLine.h"
#include "sys/Serial.h"

namespace sim {

class SimSerialOpener : public sys::SerialOpener {
 public:
  // The line must outlive every device opened on it.
  void Attach(const std::string& name, SimLine& line);
  sys::SerialDevice* Open(const char* name) override;

 private:
  std::mutex mutex_;
  std::map<std::string, SimLine*> lines_;  // by upper-case name
};

}  // namespace sim
