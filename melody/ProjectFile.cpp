// The .bmt project file: four records of text length (u16), text and tempo
// (u16). Record r holds melody r's text and the tempo word r of the set's
// tempo array, which is melody 5-r's: the array is written in storage order.
// The layout itself is in melody/ProjectFormat.
#include <algorithm>
#include <cstring>

#include "melody/MelodySet.h"
#include "melody/ProjectFormat.h"
#include "sys/FileSystem.h"
#include "sys/StagedFile.h"

int MelodySet::SaveProject(const char* path) {
  ProjectView project;
  for (int k = 0; k < kMelodyCount; ++k) {
    project.texts[k] = texts_[k];
    project.lengths[k] = strnlen(texts_[k], kMaxMelodyTextLength);
    project.tempos[k] = MelodyTempo(k);
  }
  uint8_t bytes[kLargestLoadableProject];
  FormatProject(project, bytes);
  sys::StagedFile file;
  return file.Create(path) && file.Append(bytes, ProjectFileSize(project)) && file.Commit() ? 1 : 0;
}

int MelodySet::LoadProject(const char* path) {
  // One byte more than the largest project, to see that a file is larger.
  uint8_t bytes[kLargestLoadableProject + 1];
  size_t size = 0;
  if (!sys::CurrentFileSystem().Read(path, bytes, sizeof bytes, &size)) return 0;
  ProjectView project;
  ProjectProblem problem;
  if (size > kLargestLoadableProject || !ParseProject(bytes, size, &project, &problem) ||
      FirstOverlongText(project) >= 0)
    return -1;
  TakeMelodies(project);
  return 1;
}

void MelodySet::TakeMelodies(const ProjectView& project) {
  ResetMelodies();
  for (int k = 0; k < kMelodyCount; ++k) {
    memcpy(texts_[k], project.texts[k], std::min(project.lengths[k], static_cast<size_t>(kMaxMelodyTextLength)));
    MelodyTempo(k) = project.tempos[k];
  }
}
