#pragma once
// What the phone commands need to know of the platform beyond the port.
#include <string>

// The device a COMn name stands for where that is not the name itself
// ("/dev/ttyS8" for COM9 on Linux, as sys/Serial.h's ComPortNumber and the
// serial device read it); empty otherwise.
std::string PortDevice(const std::string& name);

// Why a port could not be opened, from the system's last error code: the
// system's words and, where one helps, what to do about it.
std::string DescribePortError(unsigned code);
