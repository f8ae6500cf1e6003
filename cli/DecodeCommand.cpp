// quavrel decode: a block file's melodies back as note text.
#include "cli/Arguments.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/EventsToNoteText.h"
#include "cli/Files.h"
#include "cli/ProjectContents.h"
#include "cli/TextDisplay.h"
#include "melody/SlotReader.h"

extern const char kDecodeHelp[] =
    "Usage: quavrel decode BLOCK.bin [--tempo N T]... [--project OUT.bmt]\n"
    "\n"
    "Reads a 2408-byte block image and prints its four melodies as note text.\n"
    "A block does not keep the tempos: --tempo N T gives melody N's tempo\n"
    "(128 when not given), by which each duration is turned back into its\n"
    "token. Each tone becomes the first note name that has it (so F1 reads\n"
    "back as Eis1, and H1 as B1: they sound the same).\n"
    "\n"
    "A duration that no token gives at that tempo (a placeholder's 31, or a\n"
    "wrong tempo) is reported with its melody and event number and written\n"
    "as the nearest token. A slot that begins with 0xFF is an empty melody;\n"
    "one with its header and no notes is written \"P\" (a note without a\n"
    "duration), which encodes to the same slot.\n"
    "A slot that is not a melody's (a wrong header, no end mark) is reported\n"
    "as an error for that melody; the run then exits 1.\n"
    "\n"
    "  --project OUT.bmt  also writes the melodies and tempos as a project\n"
    "                     (not when a slot could not be read).\n"
    "\n"
    "A block that \"quavrel encode\" made from note text without placeholders\n"
    "decodes, at the same tempos, into a project that encodes to the same\n"
    "block again.\n";

int RunDecode(CommandContext& context) {
  ParsedArguments args;
  std::string error;
  if (!ParseArguments(context.args, {{"--tempo", 2, true}, {"--project", 1, false}}, &args, &error))
    return context.UsageError(error);
  if (args.positionals.size() != 1)
    return context.UsageError(args.positionals.empty() ? "the block file to decode is missing"
                                                       : "one block file at a time");
  const std::string* projectPath = args.Value("--project");
  if (projectPath) {
    const std::string problem = OutputProblem(*projectPath, ".bmt", "project file", {args.positionals[0]});
    if (!problem.empty()) return context.UsageError(problem);
    if (IsStandardStream(*projectPath))
      return context.UsageError("the note text goes to standard output: give --project a file");
  }
  ProjectContents project;
  bool tempoGiven[kMelodyCount] = {};
  for (const OptionUse* use : args.All("--tempo")) {
    int k = 0;
    if (!ParseMelodyNumber(use->values[0], &k, &error))
      return context.UsageError(error);
    if (tempoGiven[k]) return context.UsageError("--tempo " + use->values[0] + " is given twice");
    tempoGiven[k] = true;
    if (!ParseTempo(use->values[1], &project.melodies[k].tempo))
      return context.UsageError("tempo must be a whole number from 0 to 65535, not '" + ShownName(use->values[1]) + "'");
  }

  context.StartLog();
  std::string image;
  if (!ReadBlockFile(context, args.positionals[0], &image)) return kExitFailure;
  bool unreadable = false;
  for (int k = 0; k < kMelodyCount; ++k) {
    ProjectMelody& melody = project.melodies[k];
    std::string name = "melody " + std::to_string(k + 1);
    SlotContents slot = ReadSlot(reinterpret_cast<const uint8_t*>(image.data()), k);
    context.out << "Melody " << k + 1 << ", tempo " << melody.tempo;
    if (slot.state == SlotState::Malformed) {
      context.out << ": cannot be read\n";
      context.Failure(name + " cannot be read: " + slot.error);
      unreadable = true;
      continue;
    }
    if (slot.state == SlotState::Empty) {
      context.out << ": empty\n";
      continue;
    }
    DecodedMelody decoded = EventsToNoteText(slot.events, melody.tempo);
    for (const std::string& notice : decoded.notices) context.Warn("warning: " + name + ", " + notice);
    melody.text = decoded.text;
    if (slot.events.empty()) context.out << ": no notes (written as \"" << melody.text << "\")\n";
    else context.out << ":\n    " << melody.text << "\n";
  }
  if (unreadable) {
    if (projectPath) context.Warn("no project written, as not every melody could be read");
    return kExitFailure;
  }
  if (projectPath) {
    if (!WriteProjectFile(*projectPath, context.out, project, &error)) return context.Failure(error);
    context.out << "wrote " << ShownName(*projectPath) << "\n";
  }
  return kExitSuccess;
}
