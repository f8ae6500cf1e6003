#pragma once
// Where the export commands take melodies from: a project, whose melodies
// the encoder makes into note events as it would for the phone, or a block
// file, whose slots hold them already.
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "cli/Command.h"
#include "melody/SlotReader.h"

struct MelodySource {
  std::string path;
  bool block = false;  // a block file (--block) rather than a project
};

// The source named on the command line: PROJECT.bmt, or --block BLOCK.bin.
// Empty when it is named right, otherwise what is wrong, for a usage error.
std::string SourceFromArguments(const ParsedArguments& args, MelodySource* source);

// The slots of melodies ks (0..3), in that order: a project's encoded (the
// encoder's placeholders and cuts told as warnings), a block file's as
// read. False after telling the user why the file cannot be used.
bool ReadMelodySlots(const CommandContext& context, const MelodySource& source, const std::vector<int>& ks,
                     std::vector<SlotContents>* slots);
