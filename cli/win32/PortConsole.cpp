#include "cli/PortConsole.h"

#include "sys/ErrorText.h"

// COM1 is COM1: Windows opens the name as given.
std::string PortDevice(const std::string&) { return ""; }

std::string DescribePortError(unsigned code) {
  const std::string reason = sys::ErrorText(code);
  switch (code) {
    case 2:  // ERROR_FILE_NOT_FOUND
    case 3:  // ERROR_PATH_NOT_FOUND
      return reason + " (there is no such port; the Device Manager lists them)";
    case 5:  // ERROR_ACCESS_DENIED
      return reason + " (another program holds the port)";
    default:
      return reason;
  }
}
