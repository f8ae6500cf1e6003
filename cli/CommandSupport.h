#pragma once
// Steps that several commands share, with their messages.
#include <cstdint>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/EncodeReport.h"
#include "cli/ProjectContents.h"

// A project whose texts the encoder can take whole: false after telling
// the user why not (unreadable, not a project, a text over 2047 bytes).
// "-" reads standard input.
bool ReadProjectForEncoding(const CommandContext& context, const std::string& path, ProjectContents* project);

// The 2408 bytes of a block file; false after telling the user why not.
bool ReadBlockFile(const CommandContext& context, const std::string& path, std::string* image);

// Why output cannot be written: its name does not end in ending, or it is
// one of the command's inputs (the same file, also through links), which
// writing it would replace. kind names it in the message ("WAV file").
// Empty when it can be written; "-" (standard output) passes.
std::string OutputProblem(const std::string& output, const char* ending, const char* kind,
                          const std::vector<std::string>& inputs);

// What the encoder met in melody k of the project (EncodingProblems), as
// warnings.
void WarnOfMelody(const CommandContext& context, int k, const ProjectMelody& melody, const EncodeRecorder& recorder,
                  const uint8_t* image);

// Melody k of the project at path becomes melody: the file's other melodies
// are kept, and a new project is written when there is no file or path is
// "-" (standard output). False after telling the user why; the file is
// then as it was.
bool PutMelodyIntoProject(const CommandContext& context, const std::string& path, int k, const ProjectMelody& melody);

// "5.952 s"
std::string Seconds(uint64_t milliseconds);

// How long an imported melody plays against what its source asks:
// "; it lasts 15.872 s where the ringtone asks for 17.143 s: 7.4 % shorter",
// where asker is "the ringtone asks for".
std::string LengthKept(int64_t playedMicros, int64_t askedMicros, const char* asker);
