#pragma once
// What every subcommand of the quavrel command is given and returns.
#include <ostream>
#include <string>
#include <vector>

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// Stopped by Ctrl+C or SIGTERM, as a shell reports a process that SIGINT
// ended (128 + 2).
constexpr int kExitInterrupted = 130;

struct CommandContext;
using CommandFunction = int (*)(CommandContext& context);

struct Command {
  const char* name;
  const char* summary;  // one line for the command list
  const char* help;     // the full text of "quavrel NAME --help"
  CommandFunction run;
};

struct CommandContext {
  const Command& command;
  std::vector<std::string> args;  // after the command's name
  std::ostream& out;
  std::ostream& err;

  // Called once the arguments are known to be right, before any work: a
  // new Error.log starts, as the program's does at its start. Help, the
  // version and wrong usage leave the old log alone.
  void StartLog() const;
  // "quavrel NAME: message" and where to find help; returns kExitUsage.
  int UsageError(const std::string& message) const;
  // "quavrel NAME: message"; returns kExitFailure.
  int Failure(const std::string& message) const;
  // "quavrel NAME: message" for something the user should know of that does
  // not fail the run.
  void Warn(const std::string& message) const;
};
