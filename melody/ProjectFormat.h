#pragma once
// The .bmt project file: four records of text length (u16), text and tempo
// (u16), little-endian, and nothing else. Record r holds melody r's text and
// the tempo of melody 5-r: the tempos follow the set's storage order. The
// program's loader and the quavrel command both read files through
// ParseProject, so both take exactly the same files.
#include <cstddef>
#include <cstdint>

#include "melody/MelodySet.h"

constexpr size_t kProjectRecordWords = 4;  // the length and tempo words of a record
// The largest file whose texts all fit a melody.
constexpr size_t kLargestLoadableProject = kMelodyCount * (kProjectRecordWords + kMaxMelodyTextLength);
// The largest file that is a project at all: every text as long as its
// 16-bit length word allows.
constexpr size_t kLargestProject = kMelodyCount * (kProjectRecordWords + 0xFFFF);

// Four texts and tempos, melody 1 first. The texts are not NUL-terminated:
// they point into the bytes parsed, or into the caller's buffers on writing.
struct ProjectView {
  const char* texts[kMelodyCount];
  size_t lengths[kMelodyCount];
  uint16_t tempos[kMelodyCount];
};

enum class ProjectFault {
  None,
  EndsInsideRecord,  // melody's record is cut short: count is the file's size
  TextPastEnd,       // melody's text length (count) runs past the end
  ZeroByte,          // melody's text holds a zero byte
  BytesFollow,       // count bytes follow the four records
};

struct ProjectProblem {
  ProjectFault fault = ProjectFault::None;
  int k = -1;  // the melody whose record is at fault
  size_t count = 0;
};

// Reads a whole file's bytes as a project. True with view filled: the
// texts may be of any length up to 65535 (see FirstOverlongText). False
// with problem saying why the bytes are not a project.
bool ParseProject(const uint8_t* bytes, size_t size, ProjectView* view, ProjectProblem* problem);

// The first melody whose text is longer than a melody holds (2047 bytes),
// or -1 when every text fits.
int FirstOverlongText(const ProjectView& view);

// The size of the file that holds view; FormatProject writes it to out,
// which must have room for it. Every length must be at most 65535.
size_t ProjectFileSize(const ProjectView& view);
void FormatProject(const ProjectView& view, uint8_t* out);
