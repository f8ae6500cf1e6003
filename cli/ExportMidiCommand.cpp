// quavrel export-midi: melodies as a Standard MIDI File.
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/Files.h"
#include "cli/MelodySource.h"
#include "cli/StandardStreams.h"
#include "cli/TextDisplay.h"
#include "exchange/MidiExport.h"

extern const char kExportMidiHelp[] =
    "Usage: quavrel export-midi PROJECT.bmt [--melody N] -o OUT.mid\n"
    "       quavrel export-midi --block BLOCK.bin [--melody N] -o OUT.mid\n"
    "\n"
    "Writes melody N (1 to 4), or every melody that has notes when --melody\n"
    "is not given, as a Standard MIDI File: format 1, one track per melody\n"
    "named \"Melody N\" (on channel N, with the square-wave lead sound). The\n"
    "notes are the events the encoder makes of the project's melodies, or\n"
    "that the block file holds. -o - writes the file to standard output.\n"
    "\n"
    "  - one tick is one millisecond, so each note lasts what \"quavrel\n"
    "    render\" plays it for; the tempo makes a quarter note the beat at\n"
    "    which the first melody's durations read best as note values;\n"
    "  - each tone is the key at its nearest pitch (our A1, 440 Hz, is key\n"
    "    69); a tone more than 10 cents from its key is reported;\n"
    "  - pauses are rests; a melody reaching beyond keys 0 to 127 moves by\n"
    "    octaves, and that is reported.\n";

int RunExportMidi(CommandContext& context) {
  ParsedArguments args;
  std::string error;
  MelodySource source;
  std::string problem = ParseSourceArguments(context.args, &args, &source);
  if (!problem.empty()) return context.UsageError(problem);
  std::vector<int> ks = {0, 1, 2, 3};
  const std::string* number = args.Value("--melody");
  if (number) {
    ks.resize(1);
    if (!ParseMelodyNumber(*number, &ks[0], &error))
      return context.UsageError(error);
  }
  const std::string* out = args.Value("-o");
  if (!out) return context.UsageError("the MIDI file to write is missing: -o OUT.mid");
  problem = OutputProblem(*out, ".mid", "MIDI file", {source.path});
  if (!problem.empty()) return context.UsageError(problem);
  const bool toStandardOutput = IsStandardStream(*out);
  if (toStandardOutput && IsTerminal(context.out))
    return context.UsageError("standard output is a terminal: send the MIDI file to a file or a program (-o - | ...)");

  context.StartLog();
  std::vector<SlotContents> slots;
  if (!ReadMelodySlots(context, source, ks, &slots)) return kExitFailure;
  std::vector<MidiExportMelody> melodies;
  std::string numbers;
  for (size_t i = 0; i < ks.size(); ++i) {
    const std::string melody = "melody " + std::to_string(ks[i] + 1) + " of " + QuotedSource(source.path);
    if (slots[i].state == SlotState::Malformed)
      return context.Failure(melody + " cannot be read: " + slots[i].error + "; nothing was written");
    if (slots[i].events.empty()) {
      if (number) return context.Failure(melody + " has no notes: nothing to export");
      continue;
    }
    melodies.push_back({ks[i] + 1, slots[i].events});
    numbers += (numbers.empty() ? "" : ", ") + std::to_string(ks[i] + 1);
  }
  if (melodies.empty()) return context.Failure("no melody of " + QuotedSource(source.path) + " has notes: nothing to export");

  ExportedMidi midi = MelodiesToMidi(melodies);
  for (const std::string& notice : midi.notices) context.Warn("warning: " + notice);
  if (toStandardOutput ? !WriteStandardOutput(context.out, midi.bytes.data(), midi.bytes.size(), &error)
                       : !WriteFileAtomically(*out, midi.bytes, &error))
    return context.Failure(error);
  // Standard output holds the MIDI file: the summary goes beside it.
  (toStandardOutput ? context.err : context.out)
      << "wrote " << (toStandardOutput ? "the MIDI file to standard output" : ShownName(*out)) << ": "
      << Counted(melodies.size(), "track", "tracks") << (melodies.size() == 1 ? " (melody " : " (melodies ") << numbers
      << "), one tick a millisecond, a quarter note " << midi.quarterMs << " ticks\n";
  return kExitSuccess;
}
