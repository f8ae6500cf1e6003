// quavrel upload, power-off and power-on: the dialog's Start and power
// button from the command line, through the same phone jobs, with the
// status texts printed as they come.
#include "cli/PhoneCommands.h"

#include <atomic>
#include <memory>
#include <string>

#include "cli/Arguments.h"
#include "cli/CommandSupport.h"
#include "cli/Interrupts.h"
#include "cli/PortConsole.h"
#include "cli/StandardStreams.h"
#include "cli/StatusPrinter.h"
#include "cli/TextDisplay.h"
#include "link/PhoneJobs.h"
#include "melody/MelodySet.h"
#include "sys/Serial.h"
#include "sys/SystemInfo.h"

#define QUAVREL_PORT_HELP                                                          \
  "PORT is COM1 to COM9 (on Linux /dev/ttyS0 to /dev/ttyS8) or the path of any\n" \
  "serial device, such as /dev/ttyUSB0 or the line that \"quavrel phone-sim\"\n"  \
  "prints. A port that cannot be opened is named with the system's reason.\n"

#define QUAVREL_EXIT_HELP                                                             \
  "\n"                                                                               \
  "Each status text is printed as it comes, in Russian as the program shows it\n"  \
  "and in English beside it, with the command to run next where one is due.\n"     \
  "Ctrl+C (or SIGTERM) stops the job before its next frame; the command then\n"   \
  "says what the phone holds. Exit code 0 when the phone did what was asked,\n"    \
  "1 when it did not or the port cannot be opened, 2 for wrong usage, 130\n"      \
  "when stopped.\n"

extern const char kUploadHelp[] =
    "Usage: quavrel upload PROJECT.bmt --port PORT\n"
    "\n"
    "Writes the project's four melodies into the phone, as the program's Start\n"
    "button does: encodes them into the 2408-byte image of block 5071, switches\n"
    "the phone into its service mode with AT commands and writes the image in\n"
    "121 chunks, counted as they go on a terminal (standard error when standard\n"
    "output is not one). The image is the one \"quavrel encode\" writes for the\n"
    "same project, with the same warnings; \"-\" reads the project from standard\n"
    "input. Ctrl+C stops it after the chunk in progress and closes the block it\n"
    "opened first; the phone then holds an incomplete block until the next\n"
    "upload.\n"
    "\n" QUAVREL_PORT_HELP QUAVREL_EXIT_HELP;

extern const char kPowerOffHelp[] =
    "Usage: quavrel power-off --port PORT\n"
    "\n"
    "Asks the phone to switch itself off, as the program's \"Power Off\" button\n"
    "does.\n"
    "\n" QUAVREL_PORT_HELP QUAVREL_EXIT_HELP;

extern const char kPowerOnHelp[] =
    "Usage: quavrel power-on --port PORT\n"
    "\n"
    "Switches a phone that is off on again through its boot handshake, as the\n"
    "program's \"Power On\" button does: press the phone's power key when asked\n"
    "and keep pressing it now and then. Up to ten attempts, some 35 seconds,\n"
    "counted on a terminal.\n"
    "\n" QUAVREL_PORT_HELP QUAVREL_EXIT_HELP;

#undef QUAVREL_PORT_HELP
#undef QUAVREL_EXIT_HELP

namespace {

enum class PhoneTask { Upload, PowerOff, PowerOn };

// The jobs open "COM1" + index. A port named COM1..COM9 is given to them as
// its index; any other device is given as COM1, which this opener maps onto
// it for as long as the command runs.
struct PortChoice {
  int index = 0;
  std::string jobName;   // what the job asks for
  std::string userName;  // what is opened
};

bool ParsePort(const std::string& text, PortChoice* choice) {
  if (text.empty()) return false;
  const int number = sys::ComPortNumber(text.c_str());
  const bool named = number != 0;
  choice->index = named ? number - 1 : 0;
  choice->jobName = "COM" + std::to_string(choice->index + 1);
  choice->userName = named ? choice->jobName : text;
  return true;
}

class CommandPortOpener : public sys::SerialOpener {
 public:
  explicit CommandPortOpener(const PortChoice& choice)
      : previous_(sys::CurrentSerialOpener()), choice_(choice) {
    sys::SetSerialOpener(this);
  }
  ~CommandPortOpener() override { sys::SetSerialOpener(&previous_); }

  sys::SerialDevice* Open(const char* name) override {
    if (choice_.jobName != name) {
      sys::SetLastError(2);
      return nullptr;
    }
    sys::SerialDevice* device = previous_.Open(choice_.userName.c_str());
    if (!device) lastError = sys::LastError();
    opened = opened || device;
    return device;
  }

  unsigned lastError = 0;
  bool opened = false;  // the device opened, but may then have refused a line's settings

 private:
  sys::SerialOpener& previous_;
  PortChoice choice_;
};

// The options every phone command takes; false after a usage message.
bool ParsePhoneArguments(CommandContext& context, size_t positionals, ParsedArguments* args,
                         PortChoice* port, int* usageExit) {
  std::string error;
  if (!ParseArguments(context.args, {{"--port", 1, false}}, args, &error)) {
    *usageExit = context.UsageError(error);
    return false;
  }
  if (args->positionals.size() != positionals) {
    *usageExit = context.UsageError(
        positionals == 0 ? "unexpected argument '" + ShownName(args->positionals[0]) + "'"
        : args->positionals.empty() ? "the project file to upload is missing"
                                    : "one project file at a time");
    return false;
  }
  const std::string* name = args->Value("--port");
  if (!name) {
    *usageExit = context.UsageError("the port is missing: --port PORT");
    return false;
  }
  if (!ParsePort(*name, port)) {
    *usageExit = context.UsageError("the port name is empty");
    return false;
  }
  return true;
}

std::string PortNotOpened(const PortChoice& port, const CommandPortOpener& opener) {
  const std::string device = PortDevice(port.userName);
  std::string text = "cannot open the port '" + ShownName(port.userName) + "'";
  if (!device.empty()) text += " (" + device + ")";
  if (!opener.lastError && opener.opened) return text + ": it is not a serial port (it refuses a line's settings)";
  return text + ": " + DescribePortError(opener.lastError);
}

// What was left undone when the user stopped the job.
std::string Interrupted(PhoneTask task, PhoneJobResult result) {
  if (result == PhoneJobResult::CancelledWriting)
    return "interrupted while writing: the block was closed, but the phone now holds an incomplete block; "
           "upload again before using its melodies";
  switch (task) {
    case PhoneTask::Upload:
      return "interrupted; nothing was written to the phone";
    case PhoneTask::PowerOff:
      return result == PhoneJobResult::Cancelled
                 ? "interrupted before the phone was asked to switch off; it is on as it was"
                 : "interrupted; the phone was asked to switch off but did not confirm it";
    case PhoneTask::PowerOn:
      return "interrupted; the phone was not switched on";
  }
  return "interrupted";
}

int Finish(CommandContext& context, PhoneTask task, PhoneJobResult result, bool interrupted,
           const PortChoice& port, const CommandPortOpener& opener) {
  if (result == PhoneJobResult::Succeeded) return kExitSuccess;
  if (interrupted) {
    context.Warn(Interrupted(task, result));
    return kExitInterrupted;
  }
  switch (result) {
    case PhoneJobResult::Succeeded:
    case PhoneJobResult::Cancelled:
    case PhoneJobResult::CancelledWriting:
      break;
    case PhoneJobResult::PortNotOpened:
      return context.Failure(PortNotOpened(port, opener));
    case PhoneJobResult::Busy:
      return context.Failure("another phone job holds the port");
    case PhoneJobResult::PhoneSilent:
      return context.Failure("the phone does not answer (is it switched on and the cable in?)");
    case PhoneJobResult::InfoQueryFailed:
      return context.Failure("the phone did not tell the size of block 5071; nothing was written");
    case PhoneJobResult::SizeDiffers:
      return context.Failure("the phone's block 5071 is not 2408 bytes long; nothing was written");
    case PhoneJobResult::WriteFailed:
      return context.Failure("the write did not get through; the melodies in the phone are "
                             "incomplete, try again");
    case PhoneJobResult::SwitchOffFailed:
      return context.Failure("the phone did not confirm switching off");
    case PhoneJobResult::SwitchOnFailed:
      return context.Failure("the phone did not start; switch it on by hand");
  }
  return kExitFailure;
}

// The progress line goes to a terminal: standard output when it is one,
// else standard error when that is.
std::ostream* ProgressStream(const CommandContext& context) {
  if (IsTerminal(context.out)) return &context.out;
  if (IsTerminal(context.err)) return &context.err;
  return nullptr;
}

int RunPowerCommand(CommandContext& context, PhoneTask task) {
  ParsedArguments args;
  PortChoice port;
  int usageExit = kExitUsage;
  if (!ParsePhoneArguments(context, 0, &args, &port, &usageExit)) return usageExit;
  context.StartLog();
  StatusPrinter printer(context.out, ProgressStream(context), port.userName);
  CommandPortOpener opener(port);
  PhoneOn = task == PhoneTask::PowerOff ? 1 : 0;
  // Ctrl+C stops the job before its next frame; it closes the port itself.
  std::atomic<bool> interrupted{false};
  PowerOptions options;
  options.cancel = &interrupted;
  options.bootAttempts = &printer;
  PhoneJobResult result;
  {
    InterruptCatcher interrupts(interrupted);
    result = PowerCommand(printer, port.index, options);
  }
  printer.EndProgress();
  return Finish(context, task, result, interrupted.load(), port, opener);
}

}  // namespace

int RunUpload(CommandContext& context) {
  ParsedArguments args;
  PortChoice port;
  int usageExit = kExitUsage;
  if (!ParsePhoneArguments(context, 1, &args, &port, &usageExit)) return usageExit;

  context.StartLog();
  ProjectContents project;
  if (!ReadProjectForEncoding(context, args.positionals[0], &project)) return kExitFailure;
  // As a Load followed by Start in the program.
  MelodySet& melodies = Melodies();
  PutIntoSet(project, &melodies);
  melodies.ClearBlockImage();

  auto request = std::make_unique<UploadRequest>();
  EncodeRecorder recorder;
  if (!PrepareUpload(*request, &recorder)) return context.Failure("another phone job holds the port");
  for (int k = 0; k < kMelodyCount; ++k) WarnOfMelody(context, k, project.melodies[k], recorder, request->image);

  StatusPrinter printer(context.out, ProgressStream(context), port.userName);
  CommandPortOpener opener(port);
  request->view = &printer;
  request->progress = &printer;
  request->portIndex = port.index;
  // Ctrl+C lets the job close the phone's block before the port is closed.
  std::atomic<bool> interrupted{false};
  request->cancel = &interrupted;
  PhoneJobResult result;
  {
    InterruptCatcher interrupts(interrupted);
    result = UploadJob(*request);
  }
  printer.EndProgress();
  return Finish(context, PhoneTask::Upload, result, interrupted.load(), port, opener);
}

int RunPowerOff(CommandContext& context) { return RunPowerCommand(context, PhoneTask::PowerOff); }

int RunPowerOn(CommandContext& context) { return RunPowerCommand(context, PhoneTask::PowerOn); }
