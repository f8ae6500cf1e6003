// quavrel ports: the serial ports a cable could be on, and what to give as
// --port for each.
#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/SerialPorts.h"

extern const char kPortsHelp[] =
    "Usage: quavrel ports [--help]\n"
    "\n"
    "Lists the serial ports of this machine. On Linux these are /dev/ttyS*\n"
    "with a UART behind them, /dev/ttyUSB* and /dev/ttyACM*, each with its\n"
    "/dev/serial/by-id names, the USB adapter's vendor:product and names,\n"
    "the COM name a fresh Wine prefix gives it (the name Quavrel.exe and\n"
    "quavrel-cli.exe use under Wine), and whether you may open it for reading\n"
    "and writing, and if not, what to do. On Windows they are the COM ports\n"
    "the system knows. No port is opened, so a port in use is not disturbed.\n"
    "\n"
    "Give the device (or COM1..COM9 for /dev/ttyS0../dev/ttyS8) as --port to\n"
    "upload, power-off and power-on.\n"
    "\n"
    "QUAVREL_PORTS_ROOT=DIR in the environment makes it read DIR/dev and\n"
    "DIR/sys in place of /dev and /sys, for tests; names are still printed\n"
    "as under /.\n";

int RunPorts(CommandContext& context) {
  ParsedArguments args;
  std::string error;
  if (!ParseArguments(context.args, {}, &args, &error)) return context.UsageError(error);
  if (!args.positionals.empty()) return context.UsageError("it takes no arguments");
  std::vector<SerialPortEntry> ports;
  if (!FindSerialPorts(&ports, &error)) return context.Failure(error);

  for (const SerialPortEntry& port : ports) {
    context.out << port.device << ": " << port.kind;
    if (!port.usb.empty()) context.out << ", USB " << port.usb;
    context.out << "\n";
    for (const std::string& name : port.byId) context.out << "    by id: " << name << "\n";
    if (!port.wineName.empty()) context.out << "    under Wine: " << port.wineName << "\n";
    if (!port.access.empty()) context.out << "    you may open it: " << port.access << "\n";
  }
  if (ports.empty())
    context.out << "No serial ports found. Plug the cable in; \"dmesg | tail\" then names its device on Linux.\n";
  else
    context.out << ports.size() << (ports.size() == 1 ? " serial port\n" : " serial ports\n");
  return kExitSuccess;
}
