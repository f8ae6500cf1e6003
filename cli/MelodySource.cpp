#include "cli/MelodySource.h"

#include <memory>

#include "cli/CommandSupport.h"
#include "cli/ProjectContents.h"
#include "melody/MelodySet.h"

std::string ParseSourceArguments(const std::vector<std::string>& arguments, ParsedArguments* parsed,
                                 MelodySource* source) {
  std::string error;
  if (!ParseArguments(arguments, {{"--block", 1, false}, {"--melody", 1, false}, {"-o", 1, false}}, parsed, &error))
    return error;
  const ParsedArguments& args = *parsed;
  const std::string* block = args.Value("--block");
  if (args.positionals.size() > 1) return "one project file at a time";
  if (block && !args.positionals.empty()) return "give a project file or --block, not both";
  if (!block && args.positionals.empty()) return "the project file (or --block BLOCK.bin) is missing";
  source->block = block != nullptr;
  source->path = block ? *block : args.positionals[0];
  return "";
}

bool ReadMelodySlots(const CommandContext& context, const MelodySource& source, const std::vector<int>& ks,
                     std::vector<SlotContents>* slots) {
  auto set = std::make_unique<MelodySet>();
  if (source.block) {
    std::string image;
    if (!ReadBlockFile(context, source.path, &image)) return false;
    image.copy(reinterpret_cast<char*>(set->BlockImage()), kBlockImageSize);
  } else {
    ProjectContents project;
    if (!ReadProjectForEncoding(context, source.path, &project)) return false;
    PutIntoSet(project, set.get());
    for (int k : ks) {
      EncodeRecorder recorder;
      set->DecodeToBuffer(k, set->MelodyText(k), &recorder);
      WarnOfMelody(context, k, project.melodies[k], recorder, set->BlockImage());
    }
  }
  for (int k : ks) slots->push_back(ReadSlot(set->BlockImage(), k));
  return true;
}
