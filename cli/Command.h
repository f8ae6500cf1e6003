#pragma once
// What every subcommand of the quavrel command is given and returns.
#include <ostream>
#include <string>
#include <vector>

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

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

  // "quavrel NAME: message" and where to find help; returns kExitUsage.
  int UsageError(const std::string& message) const;
  // "quavrel NAME: message"; returns kExitFailure.
  int Failure(const std::string& message) const;
  // "quavrel NAME: message" for something the user should know of that does
  // not fail the run.
  void Warn(const std::string& message) const;
};
