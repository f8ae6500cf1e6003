// quavrel import-rtttl: an RTTTL ringtone into a project's melody.
#include "cli/Arguments.h"
#include "sys/Path.h"
#include "cli/Commands.h"
#include "cli/Files.h"
#include "cli/ProjectContents.h"
#include "cli/Rtttl.h"
#include "cli/RtttlImport.h"

extern const char kImportRtttlHelp[] =
    "Usage: quavrel import-rtttl FILE [--melody N] -o OUT.bmt\n"
    "\n"
    "Turns one RTTTL ringtone (name:d=4,o=6,b=63:8e,8f#.,4p,...) into note\n"
    "text and a tempo for melody N (1 to 4, melody 1 when not given). When\n"
    "OUT.bmt exists, only melody N in it is replaced; otherwise a new project\n"
    "is written with the other melodies empty.\n"
    "\n"
    "  - settings absent from the header are d=4, o=6, b=63; blanks are ignored;\n"
    "  - c c# d d# e f f# g g# a a# b become C Cis D Dis E F Fis G Gis A Ais H;\n"
    "    h is b; p is a pause (P);\n"
    "  - RTTTL octave o becomes octave o - 3 (RTTTL's A4 is 440 Hz, our A1);\n"
    "    a note outside our octaves 1 to 8 moves to the nearest and is reported;\n"
    "  - durations 1 to 32 become (1/1) to (1/32); a dotted note (the dot\n"
    "    before or after the octave) cannot be expressed: it loses its dot and\n"
    "    is reported;\n"
    "  - the tempo is the one whose quarter note, in milliseconds as \"quavrel\n"
    "    render\" plays it, lies nearest to 60000 / b;\n"
    "  - past 149 notes the melody is cut, and that is reported.\n"
    "\n"
    "A ringtone that cannot be read (no two colons, an unknown note or\n"
    "setting, a duration other than 1, 2, 4, 8, 16, 32) is reported with its\n"
    "line and column, and nothing is written. An existing OUT.bmt that is not\n"
    "a whole project is left alone.\n";

namespace {

constexpr size_t kLargestRingtone = 1 << 20;

}  // namespace

int RunImportRtttl(CommandContext& context) {
  ParsedArguments args;
  std::string error;
  if (!ParseArguments(context.args, {{"--melody", 1, false}, {"-o", 1, false}}, &args, &error))
    return context.UsageError(error);
  if (args.positionals.size() != 1)
    return context.UsageError(args.positionals.empty() ? "the RTTTL file to import is missing"
                                                       : "one RTTTL file at a time");
  int k = 0;
  const std::string* number = args.Value("--melody");
  if (number && !ParseMelodyNumber(*number, &k))
    return context.UsageError("melody number must be 1, 2, 3 or 4, not '" + *number + "'");
  const std::string* out = args.Value("-o");
  if (!out) return context.UsageError("the project file to write is missing: -o OUT.bmt");
  if (!sys::path::EndsWith(*out, ".bmt")) return context.UsageError("the project file's name must end in \".bmt\": " + *out);

  const std::string& path = args.positionals[0];
  std::string text;
  if (!ReadFileBytes(path, kLargestRingtone, &text, &error)) return context.Failure(error);
  RtttlTune tune;
  if (!ParseRtttl(text, &tune, &error)) return context.Failure("'" + path + "': " + error + "; nothing was written");
  ImportedMelody melody = ConvertRtttl(tune);

  ProjectContents project;
  if (FileExists(*out) && !ReadProjectFile(*out, &project, &error))
    return context.Failure(error + "; it was left as it was");
  project.melodies[k] = {melody.text, melody.tempo};
  if (!WriteProjectFile(*out, project, &error)) return context.Failure(error);
  for (const std::string& notice : melody.notices) context.Warn("warning: " + notice);
  context.out << "imported \"" << tune.name << "\" as melody " << k + 1 << " of " << *out << ": " << melody.notes
              << " notes, tempo " << melody.tempo << " (a quarter note lasts " << QuarterNoteMs(melody.tempo)
              << " ms; b=" << tune.beats << " asks for " << 60000 / tune.beats << " ms)\n";
  return kExitSuccess;
}
