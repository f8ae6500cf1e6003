#include "cli/CommandSupport.h"

#include "cli/Files.h"
#include "cli/MelodyProblems.h"
#include "cli/TextDisplay.h"
#include "melody/MelodySet.h"
#include "sys/Path.h"

bool ReadProjectForEncoding(const CommandContext& context, const std::string& path, ProjectContents* project) {
  std::string error;
  if (!ReadProjectFile(path, project, &error)) {
    context.Failure(error);
    return false;
  }
  for (int k = 0; k < kMelodyCount; ++k) {
    if (project->melodies[k].text.size() > static_cast<size_t>(kMaxMelodyTextLength)) {
      context.Failure("melody " + std::to_string(k + 1) + " of " + QuotedSource(path) + " is " +
                      std::to_string(project->melodies[k].text.size()) + " bytes long; a melody holds at most " +
                      std::to_string(kMaxMelodyTextLength) + " (\"quavrel check\" shows where it is cut)");
      return false;
    }
  }
  return true;
}

bool ReadBlockFile(const CommandContext& context, const std::string& path, std::string* image) {
  std::string error;
  if (!ReadFileBytes(path, kBlockImageSize, image, &error)) {
    context.Failure(error + (image->size() > static_cast<size_t>(kBlockImageSize) ? ", not a block file" : ""));
    return false;
  }
  if (image->size() != static_cast<size_t>(kBlockImageSize)) {
    context.Failure(QuotedSource(path) + " is not a block file: it has " +
                    Counted(image->size(), "byte", "bytes") + " where a block has " + std::to_string(kBlockImageSize));
    return false;
  }
  return true;
}

std::string OutputProblem(const std::string& output, const char* ending, const char* kind,
                          const std::vector<std::string>& inputs) {
  if (IsStandardStream(output)) return "";
  if (!sys::path::EndsWith(output, ending))
    return std::string("the ") + kind + "'s name must end in \"" + ending + "\": " + ShownName(output);
  for (const std::string& input : inputs)
    if (!IsStandardStream(input) && SameFile(input, output))
      return "'" + ShownName(output) + "' is the same file as the input " + QuotedSource(input) + "; give the " +
             kind + " another name";
  return "";
}

void WarnOfMelody(const CommandContext& context, int k, const ProjectMelody& melody, const EncodeRecorder& recorder,
                  const uint8_t* image) {
  for (const std::string& problem : EncodingProblems(k, melody.text, melody.tempo, recorder, image))
    context.Warn("warning: " + problem);
}

bool PutMelodyIntoProject(const CommandContext& context, const std::string& path, int k, const ProjectMelody& melody) {
  ProjectContents project;
  std::string error;
  if (!IsStandardStream(path) && FileExists(path) && !ReadProjectFile(path, &project, &error)) {
    context.Failure(error + "; it was left as it was");
    return false;
  }
  project.melodies[k] = melody;
  if (!WriteProjectFile(path, context.out, project, &error)) {
    context.Failure(error);
    return false;
  }
  return true;
}

std::string Seconds(uint64_t milliseconds) {
  std::string fraction = std::to_string(milliseconds % 1000);
  return std::to_string(milliseconds / 1000) + "." + std::string(3 - fraction.size(), '0') + fraction + " s";
}

std::string LengthKept(int64_t playedMicros, int64_t askedMicros, const char* asker) {
  std::string text = "; it lasts " + Seconds(static_cast<uint64_t>(playedMicros / 1000)) + " where " + asker + " " +
                     Seconds(static_cast<uint64_t>(askedMicros / 1000));
  if (playedMicros == askedMicros) return text;
  return text + ": " + PercentOff(playedMicros, askedMicros) + (playedMicros > askedMicros ? " longer" : " shorter");
}
