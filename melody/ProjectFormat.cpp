#include "melody/ProjectFormat.h"

#include <cstring>

#include "melody/LittleEndian.h"

namespace {

// Record r carries the tempo of melody 5-r.
int TempoMelodyOfRecord(int record) { return kMelodyCount - 1 - record; }

bool Refuse(ProjectProblem* problem, ProjectFault fault, int k, size_t count) {
  problem->fault = fault;
  problem->k = k;
  problem->count = count;
  return false;
}

}  // namespace

bool ParseProject(const uint8_t* bytes, size_t size, ProjectView* view, ProjectProblem* problem) {
  ProjectView read;
  size_t at = 0;
  for (int record = 0; record < kMelodyCount; ++record) {
    if (size - at < kProjectRecordWords) return Refuse(problem, ProjectFault::EndsInsideRecord, record, size);
    const size_t length = GetU16(bytes + at);
    if (size - at - kProjectRecordWords < length) return Refuse(problem, ProjectFault::TextPastEnd, record, length);
    const char* text = reinterpret_cast<const char*>(bytes + at + 2);
    if (memchr(text, 0, length)) return Refuse(problem, ProjectFault::ZeroByte, record, 0);
    read.texts[record] = text;
    read.lengths[record] = length;
    read.tempos[TempoMelodyOfRecord(record)] = GetU16(bytes + at + 2 + length);
    at += kProjectRecordWords + length;
  }
  if (at != size) return Refuse(problem, ProjectFault::BytesFollow, -1, size - at);
  *view = read;
  *problem = ProjectProblem();
  return true;
}

int FirstOverlongText(const ProjectView& view) {
  for (int k = 0; k < kMelodyCount; ++k)
    if (view.lengths[k] > static_cast<size_t>(kMaxMelodyTextLength)) return k;
  return -1;
}

size_t ProjectFileSize(const ProjectView& view) {
  size_t size = kMelodyCount * kProjectRecordWords;
  for (size_t length : view.lengths) size += length;
  return size;
}

void FormatProject(const ProjectView& view, uint8_t* out) {
  for (int record = 0; record < kMelodyCount; ++record) {
    const size_t length = view.lengths[record];
    PutU16(out, static_cast<uint16_t>(length));
    if (length) memcpy(out + 2, view.texts[record], length);
    PutU16(out + 2 + length, view.tempos[TempoMelodyOfRecord(record)]);
    out += kProjectRecordWords + length;
  }
}
