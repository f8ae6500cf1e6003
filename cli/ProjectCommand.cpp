// quavrel project: a new project file from texts and tempos.
#include "cli/Arguments.h"
#include "sys/Path.h"
#include "cli/Commands.h"
#include "cli/Files.h"
#include "cli/ProjectContents.h"
#include "cli/TerminalText.h"

extern const char kProjectHelp[] =
    "Usage: quavrel project OUT.bmt [--melody N TEXT]... [--tempo N VALUE]...\n"
    "\n"
    "Writes a new project file with four melodies, as the program's Save does.\n"
    "\n"
    "  --melody N TEXT   the note text of melody N (1 to 4), for example\n"
    "                    \"C2(1/4) D2(1/8) P(1/4)\"; a melody not given is empty.\n"
    "                    TEXT written as @FILE is read from that file byte for\n"
    "                    byte, so its line breaks stay as they are.\n"
    "  --tempo N VALUE   the tempo of melody N, 0 to 65535; 128 when not given.\n"
    "\n"
    "OUT.bmt must end in \".bmt\", the name the program's Load accepts. A text\n"
    "longer than 2047 bytes (what a melody holds) is refused, not cut; nothing\n"
    "is written then, and an existing OUT.bmt stays as it was.\n";

namespace {

// Far beyond what a melody holds, so that the message can say how long the
// text is; a file larger still is surely not a melody.
constexpr size_t kReadLimit = 1 << 20;

}  // namespace

int RunProject(CommandContext& context) {
  ParsedArguments args;
  std::string error;
  if (!ParseArguments(context.args, {{"--melody", 2, true}, {"--tempo", 2, true}}, &args, &error))
    return context.UsageError(error);
  if (args.positionals.size() != 1)
    return context.UsageError(args.positionals.empty() ? "the project file to write is missing"
                                                       : "only one project file can be written");
  const std::string& path = args.positionals[0];
  if (!sys::path::EndsWith(path, ".bmt")) return context.UsageError("the project file's name must end in \".bmt\": " + path);

  ProjectContents project;
  bool given[kMelodyCount] = {};
  bool tempoGiven[kMelodyCount] = {};
  for (const OptionUse& use : args.options) {
    int k = 0;
    if (!ParseMelodyNumber(use.values[0], &k))
      return context.UsageError("melody number must be 1, 2, 3 or 4, not '" + use.values[0] + "'");
    bool isMelody = use.name == "--melody";
    bool& seen = isMelody ? given[k] : tempoGiven[k];
    if (seen) return context.UsageError(use.name + " " + use.values[0] + " is given twice");
    seen = true;
    const std::string& value = use.values[1];
    if (!isMelody) {
      if (!ParseTempo(value, &project.melodies[k].tempo))
        return context.UsageError("tempo must be a whole number from 0 to 65535, not '" + value + "'");
      continue;
    }
    std::string text;
    if (!value.empty() && value[0] == '@') {
      if (!ReadFileBytes(value.substr(1), kReadLimit, &text, &error)) return context.Failure(error);
    } else {
      text = Cp1251FromTerminal(value);
    }
    if (!CheckMelodyText(k + 1, text, &error)) return context.Failure(error + "; nothing was written");
    project.melodies[k].text = text;
  }
  if (!WriteProjectFile(path, project, &error)) return context.Failure(error);
  context.out << "wrote " << path << "\n";
  return kExitSuccess;
}
