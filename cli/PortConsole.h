#pragma once
// What the phone commands need to know of the platform beyond the port.
#include <ostream>
#include <string>

// True when stream is the process's standard output and that is a terminal.
bool IsTerminalOutput(const std::ostream& stream);

// Why a port could not be opened, from the system's last error code.
std::string DescribePortError(unsigned code);
