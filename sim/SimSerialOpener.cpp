#include "sim/SimSerialOpener.h"

#include <cctype>

#include "sim/SimSerialDevice.h"
#include "sys/SystemInfo.h"

namespace sim {
namespace {
constexpr unsigned kErrorFileNotFound = 2;
constexpr unsigned kErrorAccessDenied = 5;

// Windows port names are not case-sensitive.
std::string Upper(const std::string& name) {
  std::string upper = name;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}
}  // namespace

void SimSerialOpener::Attach(const std::string& name, SimLine& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  lines_[Upper(name)] = &line;
}

sys::SerialDevice* SimSerialOpener::Open(const char* name) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = name ? lines_.find(Upper(name)) : lines_.end();
  if (found == lines_.end()) {
    sys::SetLastError(kErrorFileNotFound);
    return nullptr;
  }
  if (found->second->IsOpen()) {
    sys::SetLastError(kErrorAccessDenied);
    return nullptr;
  }
  return new SimSerialDevice(*found->second);
}

}  // namespace sim
