// quavrel export-rtttl: a melody as an RTTTL ringtone.
#include "cli/Commands.h"
#include "cli/Files.h"
#include "cli/MelodySource.h"
#include "exchange/RtttlExport.h"
#include "exchange/Wording.h"
#include "sys/Path.h"

extern const char kExportRtttlHelp[] =
    "Usage: quavrel export-rtttl PROJECT.bmt [--melody N] [-o OUT.txt]\n"
    "       quavrel export-rtttl --block BLOCK.bin [--melody N] [-o OUT.txt]\n"
    "\n"
    "Writes melody N (1 to 4, melody 1 when not given) as an RTTTL ringtone\n"
    "(name:d=8,o=5,b=121:c,4d,e.,p) to OUT.txt, or to standard output without\n"
    "-o. The notes are the events the encoder makes of the project's melody,\n"
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

int RunExportRtttl(CommandContext& context) {
  ParsedArguments args;
  std::string error;
  if (!ParseArguments(context.args, {{"--block", 1, false}, {"--melody", 1, false}, {"-o", 1, false}}, &args,
                      &error))
    return context.UsageError(error);
  MelodySource source;
  std::string problem = SourceFromArguments(args, &source);
  if (!problem.empty()) return context.UsageError(problem);
  int k = 0;
  const std::string* number = args.Value("--melody");
  if (number && !ParseMelodyNumber(*number, &k))
    return context.UsageError("melody number must be 1, 2, 3 or 4, not '" + *number + "'");
  const std::string* out = args.Value("-o");

  std::vector<SlotContents> slots;
  if (!ReadMelodySlots(context, source, {k}, &slots)) return kExitFailure;
  std::string melody = "melody " + std::to_string(k + 1) + " of '" + source.path + "'";
  if (slots[0].state == SlotState::Malformed) return context.Failure(melody + " cannot be read: " + slots[0].error);
  if (slots[0].events.empty()) return context.Failure(melody + " has no notes: nothing to export");

  std::string stem = sys::path::FileNamePart(source.path.c_str(), sys::path::kAnySeparator);
  stem = stem.substr(0, stem.rfind('.'));
  ExportedRtttl ringtone = EventsToRtttl(slots[0].events, stem + " " + std::to_string(k + 1));
  for (const std::string& notice : ringtone.notices) context.Warn("warning: " + notice);
  if (!out) {
    context.out << ringtone.text;
    return kExitSuccess;
  }
  if (!WriteFileAtomically(*out, ringtone.text, &error)) return context.Failure(error);
  context.out << "melody " << k + 1 << ": " << CountOf(static_cast<long>(slots[0].events.size()), "event")
              << " as RTTTL at b=" << ringtone.beats << "; wrote " << *out << "\n";
  return kExitSuccess;
}
