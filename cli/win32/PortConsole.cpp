#include "cli/PortConsole.h"

#include <io.h>

#include <iostream>

bool IsTerminalOutput(const std::ostream& stream) { return &stream == &std::cout && _isatty(1); }

std::string DescribePortError(unsigned code) {
  switch (code) {
    case 2:  // ERROR_FILE_NOT_FOUND
    case 3:  // ERROR_PATH_NOT_FOUND
      return "there is no such port";
    case 5:  // ERROR_ACCESS_DENIED
      return "the port is in use by another program";
    default:
      return "system error " + std::to_string(code);
  }
}
