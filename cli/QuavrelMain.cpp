#include "cli/QuavrelMain.h"

#include <cstring>
#include <string>
#include <vector>

#include "cli/CommandTable.h"
#include "diag/ErrorLog.h"
#include "sys/File.h"

namespace {

const char kUsage[] =
    "Usage: quavrel COMMAND [ARGUMENTS]\n"
    "\n"
    "Melodies for the Siemens A50: note text, project files (.bmt) and the\n"
    "2408-byte block 5071 (.bin with its .bid description).\n"
    "\n"
    "Commands:\n";

const char kUsageEnd[] =
    "\n"
    "\"quavrel COMMAND --help\" or \"quavrel help COMMAND\" tells more of a command.\n"
    "Exit codes: 0 success, 2 wrong usage, 1 any other failure.\n"
    "Every run starts a new Error.log in the current folder; the encoder's\n"
    "warnings and the faults a user is not shown go there.\n";

void PrintUsage(std::ostream& out) {
  out << kUsage;
  for (int i = 0; i < CommandCount(); ++i) {
    const Command& command = CommandTable()[i];
    std::string name = command.name;
    name.resize(name.size() < 14 ? 14 : name.size() + 1, ' ');
    out << "  " << name << command.summary << "\n";
  }
  out << kUsageEnd;
}

bool IsHelpOption(const char* arg) { return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0; }

// "--help" anywhere before a "--" asks for the command's help.
bool AsksForHelp(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--") return false;
    if (IsHelpOption(arg.c_str())) return true;
  }
  return false;
}

int UnknownCommand(const char* name, std::ostream& err) {
  err << "quavrel: unknown command '" << name << "'; \"quavrel --help\" lists the commands\n";
  return kExitUsage;
}

}  // namespace

int QuavrelMain(int argc, char** argv, std::ostream& out, std::ostream& err) {
  // As the program does at its start: each run begins a new log.
  sys::DeleteFile(kErrorLogName);

  if (argc < 2) {
    PrintUsage(err);
    return kExitUsage;
  }
  const char* name = argv[1];
  if (IsHelpOption(name) || std::strcmp(name, "help") == 0) {
    if (argc < 3) {
      PrintUsage(out);
      return kExitSuccess;
    }
    const Command* command = FindCommand(argv[2]);
    if (!command) return UnknownCommand(argv[2], err);
    out << command->help;
    return kExitSuccess;
  }
  const Command* command = FindCommand(name);
  if (!command) return UnknownCommand(name, err);

  CommandContext context{*command, std::vector<std::string>(argv + 2, argv + argc), out, err};
  if (AsksForHelp(context.args)) {
    out << command->help;
    return kExitSuccess;
  }
  return command->run(context);
}

int CommandContext::UsageError(const std::string& message) const {
  err << "quavrel " << command.name << ": " << message << "\n"
      << "\"quavrel " << command.name << " --help\" shows how to use it\n";
  return kExitUsage;
}

int CommandContext::Failure(const std::string& message) const {
  err << "quavrel " << command.name << ": " << message << "\n";
  return kExitFailure;
}

void CommandContext::Warn(const std::string& message) const {
  err << "quavrel " << command.name << ": " << message << "\n";
}
