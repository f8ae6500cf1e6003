#include "cli/CommandSupport.h"

#include "cli/Files.h"
#include "melody/MelodySet.h"

bool ReadProjectForEncoding(const CommandContext& context, const std::string& path, ProjectContents* project) {
  std::string error;
  if (!ReadProjectFile(path, project, &error)) {
    context.Failure(error);
    return false;
  }
  for (int k = 0; k < kMelodyCount; ++k) {
    if (project->melodies[k].text.size() > static_cast<size_t>(kMaxMelodyTextLength)) {
      context.Failure("melody " + std::to_string(k + 1) + " of '" + path + "' is " +
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
    context.Failure("'" + path + "' is not a block file: it has " + std::to_string(image->size()) +
                    " bytes where a block has " + std::to_string(kBlockImageSize));
    return false;
  }
  return true;
}

void WarnOfEncoding(const CommandContext& context, const EncodeRecorder& recorder, const ProjectContents& project) {
  for (const PlaceholderReport& report : recorder.placeholders) {
    const ProjectMelody& melody = project.melodies[report.k];
    context.Warn("warning: " + DescribePlaceholder(report, melody.text, melody.tempo));
  }
  for (const TruncationReport& report : recorder.truncations)
    context.Warn("warning: " + DescribeTruncation(report, project.melodies[report.k].text));
}

std::string Seconds(uint64_t milliseconds) {
  std::string fraction = std::to_string(milliseconds % 1000);
  return std::to_string(milliseconds / 1000) + "." + std::string(3 - fraction.size(), '0') + fraction + " s";
}
