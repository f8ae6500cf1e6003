#pragma once
// Parsing of a command's arguments: positionals, and options that take a
// fixed number of values and may be given once or repeatedly.
#include <cstdint>
#include <string>
#include <vector>


struct OptionSpec {
  const char* name;  // "--melody", "-o"
  int valueCount;    // values that follow the option
  bool repeatable;
};

struct OptionUse {
  std::string name;
  std::vector<std::string> values;
};

struct ParsedArguments {
  std::vector<std::string> positionals;
  std::vector<OptionUse> options;  // in command-line order

  bool Has(const char* name) const;
  // The first value of an option given once; nullptr when absent.
  const std::string* Value(const char* name) const;
  // Every use of a repeatable option, in order.
  std::vector<const OptionUse*> All(const char* name) const;
};

// False with a message for an unknown option, a missing value, or an option
// given twice that may be given once. "--" ends the options.
bool ParseArguments(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs,
                    ParsedArguments* parsed, std::string* error);

// "1".."4" as the melody index 0..3; false with the message for any other
// text.
bool ParseMelodyNumber(const std::string& text, int* index, std::string* error);
// A decimal tempo from 0 to 65535, digits only.
bool ParseTempo(const std::string& text, uint16_t* tempo);
