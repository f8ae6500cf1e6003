#include "cli/ProjectContents.h"

#include "cli/Files.h"

namespace {

std::string WhyNotAProject(const ProjectProblem& problem) {
  const std::string melody = "melody " + std::to_string(problem.k + 1) + "'s";
  switch (problem.fault) {
    case ProjectFault::EndsInsideRecord:
      return "it ends inside " + melody + " record (" + std::to_string(problem.count) + " bytes)";
    case ProjectFault::TextPastEnd:
      return melody + " text of " + std::to_string(problem.count) + " bytes runs past its end";
    case ProjectFault::ZeroByte:
      return melody + " text holds a zero byte";
    case ProjectFault::BytesFollow:
      return std::to_string(problem.count) + (problem.count == 1 ? " byte follows" : " bytes follow") +
             " its four records";
    case ProjectFault::None:
      break;
  }
  return "it is not";
}

ProjectView ViewOf(const ProjectContents& project) {
  ProjectView view;
  for (int k = 0; k < kMelodyCount; ++k) {
    view.texts[k] = project.melodies[k].text.data();
    view.lengths[k] = project.melodies[k].text.size();
    view.tempos[k] = project.melodies[k].tempo;
  }
  return view;
}

}  // namespace

bool ReadProjectFile(const std::string& path, ProjectContents* project, std::string* error) {
  std::string bytes;
  if (!ReadFileBytes(path, kLargestProject, &bytes, error)) return false;
  ProjectView view;
  ProjectProblem problem;
  if (!ParseProject(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &view, &problem)) {
    *error = QuotedSource(path) + " is not a project file: " + WhyNotAProject(problem);
    return false;
  }
  for (int k = 0; k < kMelodyCount; ++k) {
    project->melodies[k].text.assign(view.texts[k], view.lengths[k]);
    project->melodies[k].tempo = view.tempos[k];
  }
  return true;
}

void PutIntoSet(const ProjectContents& project, MelodySet* set) { set->TakeMelodies(ViewOf(project)); }

bool CheckMelodyText(int number, const std::string& text, std::string* error) {
  if (text.size() > static_cast<size_t>(kMaxMelodyTextLength)) {
    *error = "melody " + std::to_string(number) + "'s text is " + std::to_string(text.size()) +
             " bytes long; a melody holds at most " + std::to_string(kMaxMelodyTextLength);
    return false;
  }
  if (text.find('\0') != std::string::npos) {
    *error = "melody " + std::to_string(number) + "'s text holds a zero byte, which would end it there";
    return false;
  }
  return true;
}

bool FormatProjectFile(const ProjectContents& project, std::string* bytes, std::string* error) {
  for (int k = 0; k < kMelodyCount; ++k)
    if (!CheckMelodyText(k + 1, project.melodies[k].text, error)) return false;
  const ProjectView view = ViewOf(project);
  bytes->assign(ProjectFileSize(view), '\0');
  FormatProject(view, reinterpret_cast<uint8_t*>(&(*bytes)[0]));
  return true;
}

bool WriteProjectFile(const std::string& path, std::ostream& standardOutput, const ProjectContents& project,
                      std::string* error) {
  std::string bytes;
  if (!FormatProjectFile(project, &bytes, error)) return false;
  return IsStandardStream(path) ? WriteStandardOutput(standardOutput, bytes.data(), bytes.size(), error)
                                : WriteFileAtomically(path, bytes, error);
}
