// quavrel render: a melody as the phone would play it, into a WAV file.
#include <memory>

#include "cli/Arguments.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/Files.h"
#include "cli/MelodyRenderer.h"
#include "cli/WavWriter.h"
#include "melody/SlotReader.h"

extern const char kRenderHelp[] =
    "Usage: quavrel render PROJECT.bmt [--melody N] -o OUT.wav\n"
    "       quavrel render --block BLOCK.bin [--melody N] -o OUT.wav\n"
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
    "2408 bytes. Nothing is left behind when writing fails.\n";

namespace {

constexpr size_t kChunkSamples = 65536;

bool WriteWav(const std::string& path, MelodyRenderer& renderer, std::string* error) {
  OutputFile file(path);
  std::string bytes = WavHeader(static_cast<uint32_t>(renderer.TotalSamples()), kRenderSampleRate);
  if (!file.Create(error) || !file.Append(bytes.data(), bytes.size(), error)) return false;
  std::unique_ptr<int16_t[]> samples(new int16_t[kChunkSamples]);
  for (;;) {
    size_t count = renderer.Render(samples.get(), kChunkSamples);
    if (count == 0) break;
    bytes.clear();
    AppendSamples(samples.get(), count, &bytes);
    if (!file.Append(bytes.data(), bytes.size(), error)) return false;
  }
  return file.Commit(error);
}

}  // namespace

int RunRender(CommandContext& context) {
  ParsedArguments args;
  std::string error;
  if (!ParseArguments(context.args, {{"--block", 1, false}, {"--melody", 1, false}, {"-o", 1, false}}, &args,
                      &error))
    return context.UsageError(error);
  const std::string* block = args.Value("--block");
  if (args.positionals.size() > 1) return context.UsageError("one project file at a time");
  if (block && !args.positionals.empty()) return context.UsageError("give a project file or --block, not both");
  if (!block && args.positionals.empty()) return context.UsageError("the project file (or --block BLOCK.bin) is missing");
  int k = 0;
  const std::string* number = args.Value("--melody");
  if (number && !ParseMelodyNumber(*number, &k))
    return context.UsageError("melody number must be 1, 2, 3 or 4, not '" + *number + "'");
  const std::string* out = args.Value("-o");
  if (!out) return context.UsageError("the WAV file to write is missing: -o OUT.wav");

  auto set = std::make_unique<MelodySet>();
  std::string source = block ? *block : args.positionals[0];
  if (block) {
    std::string image;
    if (!ReadBlockFile(context, *block, &image)) return kExitFailure;
    image.copy(reinterpret_cast<char*>(set->BlockImage()), kBlockImageSize);
  } else {
    ProjectContents project;
    if (!ReadProjectForEncoding(context, source, &project)) return kExitFailure;
    PutIntoSet(project, set.get());
    EncodeRecorder recorder;
    set->DecodeToBuffer(k, set->MelodyText(k), &recorder);
    WarnOfEncoding(context, recorder, project);
  }
  SlotContents slot = ReadSlot(set->BlockImage(), k);
  std::string melody = "melody " + std::to_string(k + 1) + " of '" + source + "'";
  if (slot.state == SlotState::Malformed) return context.Failure(melody + " cannot be read: " + slot.error);
  if (slot.events.empty()) return context.Failure(melody + " has no notes: nothing to play");

  MelodyRenderer renderer(slot.events);
  if (renderer.InaudibleEvents())
    context.Warn("warning: " + std::to_string(renderer.InaudibleEvents()) +
                 " notes lie above 22050 Hz and are silent in the WAV file");
  if (!WriteWav(*out, renderer, &error)) return context.Failure(error);
  context.out << "melody " << k + 1 << ": " << slot.events.size() << (slot.events.size() == 1 ? " note, " : " notes, ")
              << Seconds(renderer.TotalMilliseconds()) << " (" << renderer.TotalMilliseconds() << " ms); wrote "
              << *out << "\n";
  return kExitSuccess;
}
