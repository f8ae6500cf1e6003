#pragma once
// The serial ports this machine has, as "quavrel ports" lists them. Each
// platform finds them its own way: cli/posix reads /dev and /sys, cli/win32
// asks the system for its COM ports.
#include <string>
#include <vector>

struct SerialPortEntry {
  std::string device;              // what --port takes: "/dev/ttyUSB0", "COM3"
  std::string kind;                // "USB serial adapter", "serial port (16550A UART)", ...
  std::string usb;                 // "0403:6001 (FTDI, FT232R USB UART)"; empty when none
  std::vector<std::string> byId;   // its /dev/serial/by-id names
  std::string wineName;            // "COM2", or why a Wine prefix gives it none; empty when not asked
  std::string access;              // "yes", or "no (reason)" with what to do; empty when not known
};

// The ports in the order the platform numbers them; false with a message
// when the system's list cannot be read at all.
bool FindSerialPorts(std::vector<SerialPortEntry>* ports, std::string* error);
