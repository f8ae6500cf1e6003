// quavrel phone-sim: a simulated Siemens A50 on a pseudo-terminal, so the
// phone commands and the program can be tried without a phone.
#include <atomic>

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/Interrupts.h"
#include "sim/PhoneSimHost.h"

extern const char kPhoneSimHelp[] =
    "Usage: quavrel phone-sim [--rate BAUD] [--eeprom FILE] [--state normal|service|off]\n"
    "                         [--fault KNOB]... [--line-events PATH] [--log FILE] [--quiet]\n"
    "\n"
    "Runs a simulated Siemens A50 on a pseudo-terminal until interrupted\n"
    "(Ctrl+C or SIGTERM). The first line of standard output is the device to\n"
    "give the other commands as --port (or Wine as its COM port); the\n"
    "exchanges follow on standard error, one line each: time, direction,\n"
    "line settings, what it means, and the bytes.\n"
    "\n"
    "  --rate BAUD        the one rate its AT commands are understood at\n"
    "                     (default 57600); the service mode is always 57600\n"
    "  --eeprom FILE      block 5071 (2408 bytes) is read from FILE at start\n"
    "                     when it exists and written to it after each completed\n"
    "                     write (atomically); without it the block starts as FF\n"
    "  --state STATE      normal (default: AT commands), service (frames) or\n"
    "                     off (boot handshake at 19200 8E1, power key held)\n"
    "  --line-events PATH follow the modem-line library's events at PATH, so\n"
    "                     the phone sees DTR and parity as on a real line\n"
    "  --log FILE         append the exchanges to FILE instead\n"
    "  --quiet            no exchange log\n"
    "\n"
    "Fault knobs (--fault may be given several times):\n"
    "  silent               hears nothing, answers nothing\n"
    "  error-at-every-rate  at^sqwe=1 gets ERROR at any rate; the at^sbf\n"
    "                       fallback still works\n"
    "  delay=MS             replies come MS ms after each request (default 2)\n"
    "  late=REQUEST:MS      replies to REQUEST come MS ms later still; REQUEST\n"
    "                       is ping, info, open, data (every chunk), data@OFF\n"
    "                       (the chunk at offset OFF), close, finish-08,\n"
    "                       finish-18 or power-off\n"
    "  split=MS[@K]         replies come in two parts, MS ms apart, the first\n"
    "                       K bytes (default 1) first\n"
    "  noise=K[@MS]         K bytes of line noise ahead of every frame reply,\n"
    "                       MS ms ahead of it (default 0: right ahead)\n"
    "  drop-data=K          data chunks are stored, but the first K sends of\n"
    "                       each get no reply\n"
    "  refuse-data=K        the first K sends of each data chunk are refused\n"
    "  refuse-offset=OFF[:K]\n"
    "                       the data chunk at offset OFF is refused: its first\n"
    "                       K sends, or (no K) every send\n"
    "  silent-at=OFF[:MS]   the data chunk at offset OFF makes it go silent,\n"
    "                       for MS ms or (no MS) for good\n"
    "  oversized=REQUEST    answer REQUEST with a frame of N = 40 that ends in\n"
    "                       the real reply: ping, info, open, data, close,\n"
    "                       finish-08, finish-18, power-off\n"
    "  block-length=N       block 5071 is N bytes long instead of 2408\n"
    "  boot-noise=K         K noise bytes before its first 0xA0 after power-off\n"
    "  no-a5                takes the boot code but never confirms it\n"
    "  key-released         while off, nobody holds the power key\n"
    "\n"
    "Exit codes: 0 when interrupted, 1 when it could not start or could not\n"
    "save FILE, 2 for wrong usage.\n";

int RunPhoneSim(CommandContext& context) {
  ParsedArguments args;
  std::string error;
  const std::vector<OptionSpec> specs{{"--rate", 1, false},        {"--eeprom", 1, false}, {"--state", 1, false},
                                      {"--fault", 1, true},        {"--line-events", 1, false},
                                      {"--log", 1, false},         {"--quiet", 0, false}};
  if (!ParseArguments(context.args, specs, &args, &error)) return context.UsageError(error);
  if (!args.positionals.empty()) return context.UsageError("unexpected argument '" + args.positionals[0] + "'");

  sim::PhoneSimOptions options;
  if (const std::string* rate = args.Value("--rate"))
    if (!sim::ParseBaudRate(*rate, &options.phone.atRate))
      return context.UsageError("--rate '" + *rate + "' is not a rate in baud");
  if (const std::string* state = args.Value("--state"))
    if (!sim::ParsePhoneState(*state, &options.phone.initialState))
      return context.UsageError("--state '" + *state + "': expected normal, service or off");
  for (const OptionUse* fault : args.All("--fault")) {
    error = sim::ApplyFaultKnob(fault->values[0], &options.phone);
    if (!error.empty()) return context.UsageError(error);
  }
  if (const std::string* file = args.Value("--eeprom")) options.eepromFile = *file;
  if (const std::string* path = args.Value("--line-events")) options.lineEventsPath = *path;
  if (const std::string* file = args.Value("--log")) options.logFile = *file;
  options.quiet = args.Has("--quiet");

  context.StartLog();
  std::atomic<bool> stopRequested{false};
  InterruptCatcher interrupts(stopRequested);
  return sim::ServePhoneOnPty(options, context.out, context.err, stopRequested);
}
