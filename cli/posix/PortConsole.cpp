#include "cli/PortConsole.h"

#include <cerrno>

#include "sys/ErrorText.h"
#include "sys/Serial.h"

std::string PortDevice(const std::string& name) {
  const int number = sys::ComPortNumber(name.c_str());
  return number ? "/dev/ttyS" + std::to_string(number - 1) : "";
}

std::string DescribePortError(unsigned code) {
  const std::string reason = sys::ErrorText(code);
  switch (code) {
    case ENOTTY:
      return "it is not a serial port";
    case EACCES:
      // Serial devices belong to the dialout group on most systems.
      return reason + " (your user must be in the group dialout: sudo usermod -aG dialout $USER, then log in again)";
    case EBUSY:
    case EWOULDBLOCK:
      return reason + " (another program holds the port)";
    case ENOENT:
      return reason + " (\"dmesg | tail\" after plugging the cable in names its device)";
    case ENXIO:
    case EIO:
      return reason + " (no serial port answers behind this device)";
    default:
      return reason;
  }
}
