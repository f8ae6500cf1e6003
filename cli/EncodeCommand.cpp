// quavrel encode: a project into a block file and its description, as the
// program's Save to a ".bin" path does.
#include <memory>

#include "cli/Arguments.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/Files.h"
#include "cli/TextDisplay.h"
#include "melody/BlockExport.h"

extern const char kEncodeHelp[] =
    "Usage: quavrel encode PROJECT.bmt -o OUT.bin\n"
    "       quavrel encode - -o OUT.bin   (the project from standard input)\n"
    "\n"
    "Encodes the project's four melodies into the 2408-byte image of block\n"
    "5071 and writes it as OUT.bin, with its description file OUT.bid beside\n"
    "it, as the program's Save does.\n"
    "\n"
    "Each note or duration the encoder does not know becomes a silence of 31\n"
    "and is reported on standard error with its melody, line and column; so\n"
    "is everything else \"quavrel check\" finds: a melody of more than 149\n"
    "notes, which the phone cuts, text after the last duration, which gives\n"
    "no note, and notes the tempo makes longer than 65535, which are\n"
    "shortened. These do not fail the run.\n"
    "\n"
    "OUT.bin must end in \".bin\", and neither it nor OUT.bid may be the\n"
    "project itself. PROJECT.bmt must be a whole project: a file\n"
    "whose four records do not add up to exactly its size, or a text longer\n"
    "than 2047 bytes, is refused. On any failure no output is left behind and\n"
    "existing files stay as they were.\n";

int RunEncode(CommandContext& context) {
  ParsedArguments args;
  std::string error;
  if (!ParseArguments(context.args, {{"-o", 1, false}}, &args, &error)) return context.UsageError(error);
  if (args.positionals.size() != 1)
    return context.UsageError(args.positionals.empty() ? "the project file to encode is missing"
                                                       : "one project file at a time");
  const std::string& source = args.positionals[0];
  const std::string* out = args.Value("-o");
  if (!out) return context.UsageError("the block file to write is missing: -o OUT.bin");
  if (IsStandardStream(*out))
    return context.UsageError("the block and its description are two files: standard output cannot take them");
  std::string problem = OutputProblem(*out, ".bin", "block file", {source});
  const std::string description = DescriptionPathFor(out->c_str()).Text();
  if (problem.empty()) problem = OutputProblem(description, ".bid", "block file", {source});
  if (!problem.empty()) return context.UsageError(problem);

  context.StartLog();
  ProjectContents project;
  if (!ReadProjectForEncoding(context, source, &project)) return kExitFailure;
  auto set = std::make_unique<MelodySet>();
  PutIntoSet(project, set.get());
  set->ClearBlockImage();
  EncodeRecorder recorder;
  set->EncodeAll(&recorder);
  for (int k = 0; k < kMelodyCount; ++k) WarnOfMelody(context, k, project.melodies[k], recorder, set->BlockImage());

  if (!set->ExportBlock(out->c_str()))
    return context.Failure("cannot write '" + ShownName(*out) + "' and '" + ShownName(description) +
                           "': " + LastErrorText());
  context.out << "wrote " << ShownName(*out) << " (" << kBlockImageSize << " bytes) and " << ShownName(description)
              << "\n";
  return kExitSuccess;
}
