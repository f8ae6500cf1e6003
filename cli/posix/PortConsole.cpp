#include "cli/PortConsole.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

bool IsTerminalOutput(const std::ostream& stream) { return &stream == &std::cout && isatty(1); }

std::string DescribePortError(unsigned code) {
  std::string text = std::strerror(static_cast<int>(code));
  // Serial devices belong to the dialout group on most systems.
  if (code == EACCES) text += " (is your user in the dialout group?)";
  if (code == EBUSY || code == EWOULDBLOCK) text += " (another program holds the port)";
  return text;
}
