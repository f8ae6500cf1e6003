#include "cli/ProjectContents.h"

#include <cerrno>
#include <cstring>
#include <memory>

#include "cli/Files.h"

namespace {

// Four records of at most 65535 text bytes each, with their length and
// tempo words.
constexpr size_t kLargestProject = 4 * (2 + 65535 + 2);
constexpr size_t kRecordWords = 4;  // length and tempo: 4 bytes a record

uint16_t ReadU16(const std::string& bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                               static_cast<unsigned char>(bytes[at + 1]) << 8);
}

}  // namespace

bool ReadProjectFile(const std::string& path, ProjectContents* project, std::string* error) {
  std::string bytes;
  if (!ReadFileBytes(path, kLargestProject, &bytes, error)) return false;
  const std::string notProject = "'" + path + "' is not a project file: ";
  ProjectContents read;
  size_t at = 0;
  for (int record = 0; record < kMelodyCount; ++record) {
    if (bytes.size() - at < kRecordWords) {
      *error = notProject + "it ends inside melody " + std::to_string(record + 1) + "'s record (" +
               std::to_string(bytes.size()) + " bytes)";
      return false;
    }
    size_t length = ReadU16(bytes, at);
    if (bytes.size() - at - kRecordWords < length) {
      *error = notProject + "melody " + std::to_string(record + 1) + "'s text of " +
               std::to_string(length) + " bytes runs past its end";
      return false;
    }
    std::string text = bytes.substr(at + 2, length);
    if (text.find('\0') != std::string::npos) {
      *error = notProject + "melody " + std::to_string(record + 1) + "'s text holds a zero byte";
      return false;
    }
    read.melodies[record].text = text;
    // Record r carries the tempo of melody 5 - r.
    read.melodies[kMelodyCount - 1 - record].tempo = ReadU16(bytes, at + 2 + length);
    at += kRecordWords + length;
  }
  if (at != bytes.size()) {
    size_t extra = bytes.size() - at;
    *error = notProject + std::to_string(extra) + (extra == 1 ? " byte follows" : " bytes follow") + " its four records";
    return false;
  }
  *project = read;
  return true;
}

void PutIntoSet(const ProjectContents& project, MelodySet* set) {
  for (int k = 0; k < kMelodyCount; ++k) {
    char* buffer = set->MelodyText(k);
    std::memset(buffer, 0, kMelodyTextSize);
    project.melodies[k].text.copy(buffer, kMaxMelodyTextLength);
    set->MelodyTempo(k) = project.melodies[k].tempo;
  }
}

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

bool WriteProjectFile(const std::string& path, const ProjectContents& project, std::string* error) {
  for (int k = 0; k < kMelodyCount; ++k)
    if (!CheckMelodyText(k + 1, project.melodies[k].text, error)) return false;
  auto set = std::make_unique<MelodySet>();
  PutIntoSet(project, set.get());
  std::string temporary = TemporaryPathFor(path);
  size_t expectedSize = 4 * kRecordWords;
  for (const ProjectMelody& melody : project.melodies) expectedSize += melody.text.size();
  std::string written;
  std::string ignored;
  errno = 0;
  if (!set->SaveProject(temporary.c_str())) {
    std::string reason = errno ? std::string(": ") + std::strerror(errno) : "";
    *error = (FileExists(temporary) ? "cannot write '" : "cannot create '") + path + "'" + reason;
    RemoveQuietly(temporary);
    return false;
  }
  // The writer does not see every failure (a full disk shows on close):
  // the file must hold exactly the four records.
  if (!ReadFileBytes(temporary, expectedSize, &written, &ignored) || written.size() != expectedSize) {
    RemoveQuietly(temporary);
    *error = "cannot write '" + path + "': the file came out incomplete";
    return false;
  }
  return CommitTemporary(temporary, path, error);
}
