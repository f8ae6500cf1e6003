// quavrel export-rtttl: a melody as an RTTTL ringtone.
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/Files.h"
#include "cli/MelodySource.h"
#include "cli/TextDisplay.h"
#include "exchange/RtttlExport.h"
#include "sys/Path.h"

extern const char kExportRtttlHelp[] =
    "Usage: quavrel export-rtttl PROJECT.bmt [--melody N] [-o OUT.txt]\n"
    "       quavrel export-rtttl --block BLOCK.bin [--melody N] [-o OUT.txt]\n"
    "\n"
    "Writes melody N (1 to 4, melody 1 when not given) as an RTTTL ringtone\n"
    "(name:d=8,o=5,b=121:c,4d,e.,p) to OUT.txt, or to standard output without\n"
    "-o (or with -o -). The notes are the events the encoder makes of the project's melody,\n"
    "or that the block file holds; the name is the file's.\n"
    "\n"
    "  - each tone is the RTTTL note at its pitch (our A1, 440 Hz, is a4); a\n"
    "    tone no note has is written as the nearest, and reported;\n"
    "  - RTTTL writes octaves 0 to 9 (ours up to 6): a melody reaching higher\n"
    "    moves down as a whole, and that is reported;\n"
    "  - b and the note values are chosen so that \"quavrel import-rtttl\" of\n"
    "    the ringtone gives back the same durations; a duration RTTTL cannot\n"
    "    say at that b is reported with what it comes back as; a note and its\n"
    "    half on one tone are written as a dotted note;\n"
    "  - d= and o= are the most common duration and octave.\n";

namespace {

// "song 2": the file's name without its ending, and the melody's number.
// Standard input has no name of its own.
std::string RingtoneName(const std::string& path, int k) {
  std::string stem = IsStandardStream(path) ? "melody" : sys::path::FileNamePart(path.c_str(), sys::path::kAnySeparator);
  return stem.substr(0, stem.rfind('.')) + " " + std::to_string(k + 1);
}

}  // namespace

int RunExportRtttl(CommandContext& context) {
  ParsedArguments args;
  std::string error;
  MelodySource source;
  std::string problem = ParseSourceArguments(context.args, &args, &source);
  if (!problem.empty()) return context.UsageError(problem);
  int k = 0;
  const std::string* number = args.Value("--melody");
  if (number && !ParseMelodyNumber(*number, &k, &error))
    return context.UsageError(error);
  const std::string out = args.Value("-o") ? *args.Value("-o") : "-";
  problem = OutputProblem(out, "", "RTTTL file", {source.path});
  if (!problem.empty()) return context.UsageError(problem);

  context.StartLog();
  std::vector<SlotContents> slots;
  if (!ReadMelodySlots(context, source, {k}, &slots)) return kExitFailure;
  const std::string melody = "melody " + std::to_string(k + 1) + " of " + QuotedSource(source.path);
  if (slots[0].state == SlotState::Malformed) return context.Failure(melody + " cannot be read: " + slots[0].error);
  if (slots[0].events.empty()) return context.Failure(melody + " has no notes: nothing to export");

  ExportedRtttl ringtone = EventsToRtttl(slots[0].events, RingtoneName(source.path, k));
  for (const std::string& notice : ringtone.notices) context.Warn("warning: " + notice);
  if (IsStandardStream(out)) {
    context.out << ringtone.text;
    return kExitSuccess;
  }
  if (!WriteFileAtomically(out, ringtone.text, &error)) return context.Failure(error);
  context.out << "melody " << k + 1 << ": " << Counted(slots[0].events.size(), "event", "events")
              << " as RTTTL at b=" << ringtone.beats << "; wrote " << ShownName(out) << "\n";
  return kExitSuccess;
}
