#pragma once
// Steps that several commands share, with their messages.
#include <cstdint>
#include <string>

#include "cli/Command.h"
#include "cli/EncodeReport.h"
#include "cli/ProjectContents.h"

// A project whose texts the encoder can take whole: false after telling
// the user why not (unreadable, not a project, a text over 2047 bytes).
bool ReadProjectForEncoding(const CommandContext& context, const std::string& path, ProjectContents* project);

// The 2408 bytes of a block file; false after telling the user why not.
bool ReadBlockFile(const CommandContext& context, const std::string& path, std::string* image);

// Every placeholder and cut melody the encoder met, as warnings.
void WarnOfEncoding(const CommandContext& context, const EncodeRecorder& recorder, const ProjectContents& project);

// "5.952 s"
std::string Seconds(uint64_t milliseconds);
