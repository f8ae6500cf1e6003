#include "cli/QuavrelMain.h"

#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "cli/CommandTable.h"
#include "cli/TextDisplay.h"
#include "diag/ErrorLog.h"
#include "sys/File.h"
#include "texts/Version.h"

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
    "\"quavrel COMMAND --help\" or \"quavrel help COMMAND\" tells more of a command;\n"
    "\"quavrel --version\" (or \"quavrel COMMAND --version\") names the version.\n"
    "Exit codes: 0 success, 1 any other failure, 2 wrong usage, 130 stopped by\n"
    "Ctrl+C. Every command that runs starts a new Error.log in the current\n"
    "folder; the encoder's warnings and the faults a user is not shown go there.\n";

const char kVersion[] = "quavrel " QUAVREL_VERSION_TEXT "\n";

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

bool IsHelpOption(const std::string& arg) { return arg == "--help" || arg == "-h"; }

// The first of "--help" and "--version" before a "--"; empty when neither.
std::string AskedFor(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--") break;
    if (IsHelpOption(arg) || arg == "--version") return arg;
  }
  return "";
}

int UnknownCommand(const std::string& name, std::ostream& err) {
  err << "quavrel: unknown command '" << ShownName(name) << "'; \"quavrel --help\" lists the commands\n";
  return kExitUsage;
}

// Our code throws nothing, but the library may (a failed allocation, a
// stream); such a fault ends the command with a message instead of an
// abort. Outputs in progress are discarded as their writers unwind.
int RunGuarded(CommandContext& context) {
  try {
    return context.command.run(context);
  } catch (const std::exception& fault) {
    return context.Failure(std::string("stopped by an internal fault: ") + fault.what());
  } catch (...) {
    return context.Failure("stopped by an internal fault");
  }
}

}  // namespace

int QuavrelMain(int argc, char** argv, std::ostream& out, std::ostream& err) {
  if (argc < 2) {
    PrintUsage(err);
    return kExitUsage;
  }
  const std::string name = argv[1];
  if (name == "--version") {
    out << kVersion;
    return kExitSuccess;
  }
  if (IsHelpOption(name) || name == "help") {
    if (argc < 3) {
      PrintUsage(out);
      return kExitSuccess;
    }
    const Command* command = FindCommand(argv[2]);
    if (!command) return UnknownCommand(argv[2], err);
    out << command->help;
    return kExitSuccess;
  }
  const Command* command = FindCommand(name.c_str());
  if (!command) return UnknownCommand(name, err);

  CommandContext context{*command, std::vector<std::string>(argv + 2, argv + argc), out, err};
  const std::string asked = AskedFor(context.args);
  if (asked == "--version") {
    out << kVersion;
    return kExitSuccess;
  }
  if (!asked.empty()) {
    out << command->help;
    return kExitSuccess;
  }
  return RunGuarded(context);
}

void CommandContext::StartLog() const { sys::DeleteFile(kErrorLogName); }

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
