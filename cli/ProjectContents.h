#pragma once
// A project file as the command reads and writes it: four melody texts and
// tempos, melody 1 first. The file is read by the same check as the
// program's own loader (melody/ProjectFormat.h): a file whose four records
// do not add up to exactly its size, or whose texts hold a zero byte, is
// refused as not being a project.
#include <cstdint>
#include <ostream>
#include <string>

#include "melody/MelodySet.h"
#include "melody/ProjectFormat.h"

struct ProjectMelody {
  std::string text;  // code page 1251, as stored
  uint16_t tempo = kDefaultTempo;
};

struct ProjectContents {
  ProjectMelody melodies[kMelodyCount];
};

// Texts longer than 2047 bytes are read whole, where the program's loader
// refuses the file: each command decides what to make of them. False with a
// message when the file cannot be read or is not a project. "-" reads
// standard input.
bool ReadProjectFile(const std::string& path, ProjectContents* project, std::string* error);

// The texts and tempos into a set (its image untouched). Every text must
// be at most 2047 bytes.
void PutIntoSet(const ProjectContents& project, MelodySet* set);

// A text a project can hold: at most 2047 bytes and no zero byte. False
// with a message naming melody number (1..4) otherwise.
bool CheckMelodyText(int number, const std::string& text, std::string* error);

// The project in the program's own layout; false with a message when a
// text cannot be kept (CheckMelodyText).
bool FormatProjectFile(const ProjectContents& project, std::string* bytes, std::string* error);

// Writes the project in the program's own layout, under a temporary name
// first: a failure leaves no file and path as it was. Path "-" writes it to
// standardOutput.
bool WriteProjectFile(const std::string& path, std::ostream& standardOutput, const ProjectContents& project,
                      std::string* error);
