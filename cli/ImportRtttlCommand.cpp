// quavrel import-rtttl: an RTTTL ringtone into a project's melody.
#include "cli/Arguments.h"
#include "sys/Path.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/Files.h"
#include "cli/ProjectContents.h"
#include "cli/TextDisplay.h"
#include "exchange/Rtttl.h"
#include "exchange/RtttlImport.h"

extern const char kImportRtttlHelp[] =
    "Usage: quavrel import-rtttl FILE [--melody N] -o OUT.bmt\n"
    "\n"
    "Turns one RTTTL ringtone (name:d=4,o=6,b=63:8e,8f#.,4p,...) into note\n"
    "text and a tempo for melody N (1 to 4, melody 1 when not given). When\n"
    "OUT.bmt exists, only melody N in it is replaced; otherwise a new project\n"
    "is written with the other melodies empty.\n"
    "\n"
    "  - settings absent from the header are d=4, o=6, b=63; l= and s= are\n"
    "    read and ignored; blanks are ignored;\n"
    "  - c c# d d# e f f# g g# a a# b become C Cis D Dis E F Fis G Gis A Ais H;\n"
    "    _ is a sharp as #; h is b; e# is F and b# the next octave's C;\n"
    "    p is a pause (P);\n"
    "  - RTTTL octave o becomes octave o - 3 (RTTTL's A4 is 440 Hz, our A1);\n"
    "    when notes fall outside our octaves 1 to 8, the whole tune moves by\n"
    "    the octaves that fit the most, single notes only when no shift fits\n"
    "    them all, and both are reported;\n"
    "  - durations 1 to 64; the tempo and the tokens are chosen together so\n"
    "    that the notes last as near as can be what b asks (a quarter note\n"
    "    may become (1/8) at another tempo), and what is left is reported;\n"
    "  - a dotted note becomes the note and its half, two notes of its tone;\n"
    "  - past 149 notes (a dotted note counts two) the melody is cut, and\n"
    "    that is reported.\n"
    "\n"
    "A ringtone that cannot be read (no two colons, an unknown note or\n"
    "setting, a duration other than 1 to 64, an octave of two digits) is\n"
    "reported with its line and column and what was expected there, and\n"
    "nothing is written. An existing OUT.bmt that is not a whole project is\n"
    "left alone.\n";

namespace {

constexpr size_t kLargestRingtone = 1 << 20;


// "32 notes (36 events), tempo 64 with an RTTTL quarter note as (1/8); it
// lasts 15.872 s where the ringtone asks for 17.143 s: 7.4 % shorter"
std::string DescribeImport(const ImportedMelody& melody) {
  std::string text = Counted(static_cast<size_t>(melody.notes), "note", "notes");
  if (melody.events.size() != static_cast<size_t>(melody.notes))
    text += " (" + Counted(melody.events.size(), "event", "events") + ")";
  text += ", tempo " + std::to_string(melody.tempo);
  const DurationRow* tokens[2];
  if (TokensFor({4, false}, melody.fit, tokens) && tokens[0])
    text += std::string(" with an RTTTL quarter note as ") + tokens[0]->token;
  return text + LengthKept(melody.fit.playedMicros, melody.fit.askedMicros, "the ringtone asks for");
}

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
  if (number && !ParseMelodyNumber(*number, &k, &error))
    return context.UsageError(error);
  const std::string* out = args.Value("-o");
  if (!out) return context.UsageError("the project file to write is missing: -o OUT.bmt");
  const std::string& path = args.positionals[0];
  const std::string problem = OutputProblem(*out, ".bmt", "project file", {path});
  if (!problem.empty()) return context.UsageError(problem);
  const bool toStandardOutput = IsStandardStream(*out);

  context.StartLog();
  std::string text;
  if (!ReadFileBytes(path, kLargestRingtone, &text, &error)) return context.Failure(error);
  RtttlTune tune;
  if (!ParseRtttl(text, &tune, &error))
    return context.Failure(QuotedSource(path) + ": " + error + "; nothing was written");
  ImportedMelody melody = ConvertRtttl(tune);

  if (!PutMelodyIntoProject(context, *out, k, {melody.text, melody.tempo})) return kExitFailure;
  for (const std::string& notice : melody.notices) context.Warn("warning: " + notice);
  (toStandardOutput ? context.err : context.out)
      << "imported \"" << ShownName(tune.name) << "\" as melody " << k + 1 << " of "
      << (toStandardOutput ? "the project on standard output" : ShownName(*out)) << ": " << DescribeImport(melody)
      << "\n";
  return kExitSuccess;
}
