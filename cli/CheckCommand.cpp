// quavrel check: every problem the encoder would meet in a project.
#include <memory>

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/Files.h"
#include "cli/MelodyProblems.h"
#include "cli/ProjectContents.h"
#include "cli/TextDisplay.h"

extern const char kCheckHelp[] =
    "Usage: quavrel check PROJECT.bmt\n"
    "       quavrel check -   (the project from standard input)\n"
    "\n"
    "Lists every problem the encoder would meet in the project's melodies,\n"
    "each with its melody and, where it has one, its line and column:\n"
    "  - a note or duration the encoder does not know (it becomes a silence\n"
    "    of 31), or a duration that comes out as 0 at the melody's tempo;\n"
    "  - a tempo that makes long notes longer than the phone can hold, so\n"
    "    that they are shortened to 65535;\n"
    "  - more than 149 notes, which the phone's slot cannot hold;\n"
    "  - a text longer than 2047 bytes, of which a melody keeps the first 2047;\n"
    "  - text after the last duration, which gives no note.\n"
    "Writes nothing. Exits 1 when there is any problem (or the file is not a\n"
    "project: its four records must add up to exactly its size), 0 otherwise.\n";

namespace {

std::vector<std::string> MelodyProblems(int k, const ProjectMelody& melody) {
  std::vector<std::string> problems;
  std::string text = melody.text;
  if (text.size() > static_cast<size_t>(kMaxMelodyTextLength)) {
    problems.push_back("melody " + std::to_string(k + 1) + ", " + DescribePosition(text, kMaxMelodyTextLength) +
                       ": the text is " + std::to_string(text.size()) + " bytes long; a melody keeps the first " +
                       std::to_string(kMaxMelodyTextLength) + " and loses everything from here on");
    text.resize(kMaxMelodyTextLength);
  }
  auto set = std::make_unique<MelodySet>();
  ProjectContents one;
  one.melodies[k] = {text, melody.tempo};
  PutIntoSet(one, set.get());
  EncodeRecorder recorder;
  set->DecodeToBuffer(k, set->MelodyText(k), &recorder);
  for (const std::string& problem : EncodingProblems(k, text, melody.tempo, recorder, set->BlockImage()))
    problems.push_back(problem);
  return problems;
}

}  // namespace

int RunCheck(CommandContext& context) {
  ParsedArguments args;
  std::string error;
  if (!ParseArguments(context.args, {}, &args, &error)) return context.UsageError(error);
  if (args.positionals.size() != 1)
    return context.UsageError(args.positionals.empty() ? "the project file to check is missing"
                                                       : "one project file at a time");
  const std::string& path = args.positionals[0];
  context.StartLog();
  ProjectContents project;
  if (!ReadProjectFile(path, &project, &error)) return context.Failure(error);
  size_t count = 0;
  for (int k = 0; k < kMelodyCount; ++k) {
    for (const std::string& problem : MelodyProblems(k, project.melodies[k])) {
      context.out << problem << "\n";
      ++count;
    }
  }
  if (count == 0) {
    context.out << ShownSource(path) << ": no problems\n";
    return kExitSuccess;
  }
  context.out << ShownSource(path) << ": " << Counted(count, "problem", "problems") << "\n";
  return kExitFailure;
}
