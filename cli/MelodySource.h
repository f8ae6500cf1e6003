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

// The export commands' arguments (PROJECT.bmt or --block BLOCK.bin, and
// --melody N and -o OUT), and the source they name. Empty when they are
// right, otherwise what is wrong, for a usage error.
std::string ParseSourceArguments(const std::vector<std::string>& args, ParsedArguments* parsed, MelodySource* source);

// The slots of melodies ks (0..3), in that order: a project's encoded (the
// encoder's placeholders and cuts told as warnings), a block file's as
// read. False after telling the user why the file cannot be used.
bool ReadMelodySlots(const CommandContext& context, const MelodySource& source, const std::vector<int>& ks,
                     std::vector<SlotContents>* slots);
