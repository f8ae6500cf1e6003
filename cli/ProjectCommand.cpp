// quavrel project: a new project file from texts and tempos.
#include <cstdio>

#include "cli/Arguments.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/Files.h"
#include "cli/ProjectContents.h"
#include "cli/TerminalText.h"
#include "cli/TextDisplay.h"

extern const char kProjectHelp[] =
    "Usage: quavrel project OUT.bmt [--melody N TEXT]... [--tempo N VALUE]...\n"
    "\n"
    "Writes a new project file with four melodies, as the program's Save does.\n"
    "\n"
    "  --melody N TEXT   the note text of melody N (1 to 4), for example\n"
    "                    \"C2(1/4) D2(1/8) P(1/4)\"; a melody not given is empty.\n"
    "                    TEXT written as @FILE is read from that file byte for\n"
    "                    byte, so its line breaks stay as they are; @- reads\n"
    "                    standard input.\n"
    "  --tempo N VALUE   the tempo of melody N, 0 to 65535; 128 when not given.\n"
    "\n"
    "OUT.bmt must end in \".bmt\", the name the program's Load accepts, and must\n"
    "not be one of the @FILEs; \"-\" writes the project to standard output. A\n"
    "character typed that code page 1251 (the melodies' own) does not have is\n"
    "stored as \"?\", with a warning. A text longer than 2047 bytes (what a\n"
    "melody holds) is refused, not cut; nothing is written then, and an\n"
    "existing OUT.bmt stays as it was.\n";

namespace {

// Far beyond what a melody holds, so that the message can say how long the
// text is; a file larger still is surely not a melody.
constexpr size_t kReadLimit = 1 << 20;

struct MelodyOption {
  bool given = false;
  std::string value;  // the text, or @FILE
};

std::string Shown(const LostCharacter& lost) {
  const unsigned char byte = static_cast<unsigned char>(lost.character[0]);
  if (lost.character.size() > 1 || byte < 0x80) return ShownName(lost.character);
  char hex[8];
  std::snprintf(hex, sizeof hex, "\\x%02X", byte);  // a byte that starts no character
  return hex;
}

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

  ProjectContents project;
  MelodyOption melodies[kMelodyCount];
  bool tempoGiven[kMelodyCount] = {};
  std::vector<std::string> inputs;
  for (const OptionUse& use : args.options) {
    int k = 0;
    if (!ParseMelodyNumber(use.values[0], &k, &error))
      return context.UsageError(error);
    const bool isMelody = use.name == "--melody";
    bool& seen = isMelody ? melodies[k].given : tempoGiven[k];
    if (seen) return context.UsageError(use.name + " " + use.values[0] + " is given twice");
    seen = true;
    const std::string& value = use.values[1];
    if (!isMelody) {
      if (!ParseTempo(value, &project.melodies[k].tempo))
        return context.UsageError("tempo must be a whole number from 0 to 65535, not '" + ShownName(value) + "'");
      continue;
    }
    melodies[k].value = value;
    if (value.empty() || value[0] != '@') continue;
    const std::string file = value.substr(1);
    if (IsStandardStream(file))
      for (const std::string& input : inputs)
        if (IsStandardStream(input)) return context.UsageError("only one melody can be read from standard input (@-)");
    inputs.push_back(file);
  }
  const std::string outputProblem = OutputProblem(path, ".bmt", "project file", inputs);
  if (!outputProblem.empty()) return context.UsageError(outputProblem);

  context.StartLog();
  for (int k = 0; k < kMelodyCount; ++k) {
    if (!melodies[k].given) continue;
    const std::string& value = melodies[k].value;
    std::string text;
    if (!value.empty() && value[0] == '@') {
      if (!ReadFileBytes(value.substr(1), kReadLimit, &text, &error)) return context.Failure(error);
    } else {
      std::vector<LostCharacter> lost;
      text = Cp1251FromTerminal(value, &lost);
      for (const LostCharacter& character : lost)
        context.Warn("warning: melody " + std::to_string(k + 1) + ", " + DescribePosition(text, character.offset) +
                     ": \"" + Shown(character) + "\" is not in code page 1251, in which melodies are kept; it is " +
                     "stored as \"?\"");
    }
    if (!CheckMelodyText(k + 1, text, &error)) return context.Failure(error + "; nothing was written");
    project.melodies[k].text = text;
  }
  if (!WriteProjectFile(path, context.out, project, &error)) return context.Failure(error);
  if (!IsStandardStream(path)) context.out << "wrote " << ShownName(path) << "\n";
  return kExitSuccess;
}
