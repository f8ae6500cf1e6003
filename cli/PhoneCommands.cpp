// quavrel upload, power-off and power-on: the dialog's Start and power
// button from the command line, through the same phone jobs, with the
// status texts printed as they come.
#include "cli/PhoneCommands.h"

#include <memory>
#include <string>

#include "base/Cp1251.h"
#include "cli/Arguments.h"
#include "cli/CommandSupport.h"
#include "cli/Interrupts.h"
#include "cli/PortConsole.h"
#include "cli/TerminalText.h"
#include "link/PhoneJobs.h"
#include "melody/MelodySet.h"
#include "sys/Serial.h"
#include "sys/StringTable.h"
#include "sys/SystemInfo.h"
#include "texts/ControlIds.h"

#define QUAVREL_PORT_HELP                                                          \
  "PORT is COM1 to COM9 (on Linux /dev/ttyS0 to /dev/ttyS8) or the path of any\n" \
  "serial device, such as /dev/ttyUSB0 or the line that \"quavrel phone-sim\"\n"  \
  "prints.\n"

#define QUAVREL_EXIT_HELP                                                           \
  "\n"                                                                             \
  "The phone's status texts (in Russian, as the program shows them) are printed\n" \
  "as they come. Exit code 0 when the phone did what was asked, 1 when it did\n"   \
  "not or the port cannot be opened, 2 for wrong usage.\n"

extern const char kUploadHelp[] =
    "Usage: quavrel upload PROJECT.bmt --port PORT\n"
    "\n"
    "Writes the project's four melodies into the phone, as the program's Start\n"
    "button does: encodes them into the 2408-byte image of block 5071, switches\n"
    "the phone into its service mode with AT commands and writes the image in\n"
    "121 chunks. On a terminal the chunks are counted as they go. The image is\n"
    "the one \"quavrel encode\" writes for the same project. Ctrl+C stops it\n"
    "after the chunk in progress and closes the block it opened first; the\n"
    "phone then holds an incomplete block until the next upload.\n"
    "\n" QUAVREL_PORT_HELP QUAVREL_EXIT_HELP;

extern const char kPowerOffHelp[] =
    "Usage: quavrel power-off --port PORT\n"
    "\n"
    "Asks the phone to switch itself off, as the program's \"Power Off\" button\n"
    "does. When it does not confirm, the failure text stays for 4 seconds.\n"
    "\n" QUAVREL_PORT_HELP QUAVREL_EXIT_HELP;

extern const char kPowerOnHelp[] =
    "Usage: quavrel power-on --port PORT\n"
    "\n"
    "Switches a phone that is off on again through its boot handshake, as the\n"
    "program's \"Power On\" button does: press the phone's power key when asked\n"
    "and keep pressing it now and then. Up to ten attempts, some 35 seconds.\n"
    "\n" QUAVREL_PORT_HELP QUAVREL_EXIT_HELP;

#undef QUAVREL_PORT_HELP
#undef QUAVREL_EXIT_HELP

namespace {

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
    return device;
  }

  unsigned lastError = 0;

 private:
  sys::SerialOpener& previous_;
  PortChoice choice_;
};

// Prints the status line's texts; on a terminal also counts the chunks of
// an upload on a line of their own.
class CommandView : public PhoneJobView, public UploadProgress {
 public:
  CommandView(std::ostream& out, bool terminal) : out_(out), terminal_(terminal) {}

  void SetItemTextFromId(int controlId, int stringId) override {
    if (controlId != IDC_STATUS) return;
    const char* text = sys::StringTableText(static_cast<unsigned>(stringId));
    Print(TerminalFromCp1251(Utf8ToCp1251(text ? text : "")));
  }
  void SetItemText(int controlId, const char* text) override {
    if (controlId == IDC_STATUS) Print(TerminalFromCp1251(text));
  }
  void EnableItem(int, int) override {}

  void OnChunk(const ChunkReport& chunk) override {
    ++chunks_;
    if (!chunk.taken) ++lost_;
    if (!terminal_) return;
    out_ << "\r" << chunks_ << " of " << (chunk.size + kBlockChunkSize - 1) / kBlockChunkSize << " chunks";
    if (lost_) out_ << ", " << lost_ << " not taken";
    out_ << std::flush;
    progressOpen_ = true;
  }

 private:
  void Print(const std::string& text) {
    if (progressOpen_) out_ << "\n";
    progressOpen_ = false;
    out_ << text << "\n" << std::flush;
  }

  std::ostream& out_;
  bool terminal_;
  bool progressOpen_ = false;
  int chunks_ = 0;
  int lost_ = 0;
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
        positionals == 0 ? "unexpected argument '" + args->positionals[0] + "'"
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

int Finish(CommandContext& context, PhoneJobResult result, const PortChoice& port,
           const CommandPortOpener& opener) {
  switch (result) {
    case PhoneJobResult::Succeeded:
      return kExitSuccess;
    case PhoneJobResult::PortNotOpened:
      return context.Failure("cannot open the port '" + port.userName +
                             "': " + DescribePortError(opener.lastError));
    case PhoneJobResult::Busy:
      return context.Failure("another phone job holds the port");
    case PhoneJobResult::Cancelled:
      return context.Failure("interrupted; nothing was written to the phone");
    case PhoneJobResult::CancelledWriting:
      return context.Failure("interrupted while writing: the block was closed, but the phone now holds an "
                             "incomplete block; upload again before using its melodies");
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

int RunPowerCommand(CommandContext& context, int phoneOn) {
  ParsedArguments args;
  PortChoice port;
  int usageExit = kExitUsage;
  if (!ParsePhoneArguments(context, 0, &args, &port, &usageExit)) return usageExit;
  CommandView view(context.out, false);
  CommandPortOpener opener(port);
  PhoneOn = phoneOn;
  return Finish(context, PowerCommand(view, port.index), port, opener);
}

}  // namespace

int RunUpload(CommandContext& context) {
  ParsedArguments args;
  PortChoice port;
  int usageExit = kExitUsage;
  if (!ParsePhoneArguments(context, 1, &args, &port, &usageExit)) return usageExit;

  ProjectContents project;
  if (!ReadProjectForEncoding(context, args.positionals[0], &project)) return kExitFailure;
  // As a Load followed by Start in the program.
  MelodySet& melodies = Melodies();
  PutIntoSet(project, &melodies);
  melodies.ClearBlockImage();

  auto request = std::make_unique<UploadRequest>();
  EncodeRecorder recorder;
  if (!PrepareUpload(*request, &recorder)) return context.Failure("another phone job holds the port");
  WarnOfEncoding(context, recorder, project);

  CommandView view(context.out, IsTerminalOutput(context.out));
  CommandPortOpener opener(port);
  request->view = &view;
  request->progress = &view;
  request->portIndex = port.index;
  // Ctrl+C lets the job close the phone's block before the port is closed.
  std::atomic<bool> interrupted{false};
  request->cancel = &interrupted;
  InterruptCatcher interrupts(interrupted);
  return Finish(context, UploadJob(*request), port, opener);
}

int RunPowerOff(CommandContext& context) { return RunPowerCommand(context, 1); }

int RunPowerOn(CommandContext& context) { return RunPowerCommand(context, 0); }
