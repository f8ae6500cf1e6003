// quavrel show: a project's melodies for a person to read.
#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/ProjectContents.h"
#include "cli/TextDisplay.h"

extern const char kShowHelp[] =
    "Usage: quavrel show PROJECT.bmt\n"
    "       quavrel show -   (the project from standard input)\n"
    "\n"
    "Prints the four melodies of a project file with their tempos. Line\n"
    "breaks in a text start new lines and tabs stay tabs; other control\n"
    "characters show as \\r, \\n or \\xNN.\n"
    "\n"
    "A file whose four records (text length, text, tempo) do not add up to\n"
    "exactly its size, or whose texts hold a zero byte, is not a project and\n"
    "is refused.\n";

int RunShow(CommandContext& context) {
  ParsedArguments args;
  std::string error;
  if (!ParseArguments(context.args, {}, &args, &error)) return context.UsageError(error);
  if (args.positionals.size() != 1)
    return context.UsageError(args.positionals.empty() ? "the project file to show is missing"
                                                       : "one project file at a time");
  context.StartLog();
  ProjectContents project;
  if (!ReadProjectFile(args.positionals[0], &project, &error)) return context.Failure(error);
  for (int k = 0; k < kMelodyCount; ++k) {
    const ProjectMelody& melody = project.melodies[k];
    context.out << "Melody " << k + 1 << ", tempo " << melody.tempo;
    if (melody.text.empty()) {
      context.out << ": empty\n";
      continue;
    }
    if (melody.text.size() > static_cast<size_t>(kMaxMelodyTextLength))
      context.out << " (" << melody.text.size() << " bytes: only the first " << kMaxMelodyTextLength
                  << " fit a melody)";
    context.out << ":\n";
    for (const std::string& line : PrintableLines(melody.text)) context.out << "    " << line << "\n";
  }
  return kExitSuccess;
}
