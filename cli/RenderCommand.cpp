// quavrel render: a melody as the phone would play it, into a WAV file.
#include <memory>

#include "cli/Arguments.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/Files.h"
#include "cli/MelodyRenderer.h"
#include "cli/MelodySource.h"
#include "cli/StandardStreams.h"
#include "cli/TextDisplay.h"
#include "cli/WavWriter.h"
#include "melody/SlotReader.h"

extern const char kRenderHelp[] =
    "Usage: quavrel render PROJECT.bmt [--melody N] -o OUT.wav\n"
    "       quavrel render --block BLOCK.bin [--melody N] -o OUT.wav\n"
    "       quavrel render PROJECT.bmt -o - | aplay\n"
    "\n"
    "Plays melody N (1 to 4, melody 1 when not given) into a WAV file (16-bit\n"
    "mono PCM, 44100 Hz) from the note events the encoder makes of it, or\n"
    "that a block file holds, and prints the melody's length.\n"
    "\n"
    "Each event is a square wave at its tone code in hertz, lasting its\n"
    "duration read as milliseconds; a pause (and a placeholder) is silence.\n"
    "The milliseconds are our reading of the durations: at the default tempo\n"
    "128 a quarter note lasts 496 ms, about 121 beats a minute. Tones above\n"
    "22050 Hz (half the sample rate) cannot be sampled and stay silent.\n"
    "\n"
    "A project must be a whole project file (its records adding up to its\n"
    "size, no text longer than 2047 bytes); a block file must have exactly\n"
    "2408 bytes; either may be \"-\", standard input. OUT.wav must end in\n"
    "\".wav\" and may not be the input itself; \"-\" writes the WAV file to\n"
    "standard output (not to a terminal) and the length to standard error.\n"
    "The encoder's warnings are those of \"quavrel encode\". Nothing is left\n"
    "behind when writing fails, and an existing OUT.wav stays as it was.\n";

namespace {

constexpr size_t kChunkSamples = 65536;

// The WAV file piece by piece through put(bytes, count, error), which
// returns false when a piece cannot be written.
template <typename Put>
bool PutWav(MelodyRenderer& renderer, Put put, std::string* error) {
  std::string bytes = WavHeader(static_cast<uint32_t>(renderer.TotalSamples()), kRenderSampleRate);
  if (!put(bytes.data(), bytes.size(), error)) return false;
  std::unique_ptr<int16_t[]> samples(new int16_t[kChunkSamples]);
  for (;;) {
    size_t count = renderer.Render(samples.get(), kChunkSamples);
    if (count == 0) return true;
    bytes.clear();
    AppendSamples(samples.get(), count, &bytes);
    if (!put(bytes.data(), bytes.size(), error)) return false;
  }
}

bool WriteWav(const std::string& path, std::ostream& standardOutput, MelodyRenderer& renderer, std::string* error) {
  if (IsStandardStream(path))
    return PutWav(renderer, [&](const char* bytes, size_t count, std::string* why) {
      return WriteStandardOutput(standardOutput, bytes, count, why);
    }, error);
  OutputFile file(path);
  return file.Create(error) &&
         PutWav(renderer, [&](const char* bytes, size_t count, std::string* why) {
           return file.Append(bytes, count, why);
         }, error) &&
         file.Commit(error);
}

}  // namespace

int RunRender(CommandContext& context) {
  ParsedArguments args;
  std::string error;
  MelodySource from;
  const std::string misnamed = ParseSourceArguments(context.args, &args, &from);
  if (!misnamed.empty()) return context.UsageError(misnamed);
  int k = 0;
  const std::string* number = args.Value("--melody");
  if (number && !ParseMelodyNumber(*number, &k, &error))
    return context.UsageError(error);
  const std::string* out = args.Value("-o");
  if (!out) return context.UsageError("the WAV file to write is missing: -o OUT.wav");
  const std::string& source = from.path;
  const std::string problem = OutputProblem(*out, ".wav", "WAV file", {source});
  if (!problem.empty()) return context.UsageError(problem);
  const bool toStandardOutput = IsStandardStream(*out);
  if (toStandardOutput && IsTerminal(context.out))
    return context.UsageError("standard output is a terminal: send the WAV file to a file or a program (-o - | aplay)");

  context.StartLog();
  std::vector<SlotContents> slots;
  if (!ReadMelodySlots(context, from, {k}, &slots)) return kExitFailure;
  const SlotContents& slot = slots[0];
  const std::string melody = "melody " + std::to_string(k + 1) + " of " + QuotedSource(source);
  if (slot.state == SlotState::Malformed) return context.Failure(melody + " cannot be read: " + slot.error);
  if (slot.events.empty()) return context.Failure(melody + " has no notes: nothing to play");

  MelodyRenderer renderer(slot.events);
  if (renderer.InaudibleEvents())
    context.Warn("warning: " + Counted(static_cast<size_t>(renderer.InaudibleEvents()), "note lies", "notes lie") +
                 " above 22050 Hz and " + (renderer.InaudibleEvents() == 1 ? "is" : "are") +
                 " silent in the WAV file");
  if (!WriteWav(*out, context.out, renderer, &error)) return context.Failure(error);
  // Standard output holds the WAV file: the summary goes beside it.
  std::ostream& summary = toStandardOutput ? context.err : context.out;
  summary << "melody " << k + 1 << ": " << Counted(slot.events.size(), "note", "notes") << ", "
          << Seconds(renderer.TotalMilliseconds()) << " (" << renderer.TotalMilliseconds() << " ms); wrote "
          << (toStandardOutput ? "the WAV file to standard output" : ShownName(*out)) << "\n";
  return kExitSuccess;
}
