#include "cli/Arguments.h"

#include "cli/TextDisplay.h"

bool ParsedArguments::Has(const char* name) const { return !All(name).empty(); }

const std::string* ParsedArguments::Value(const char* name) const {
  for (const OptionUse& use : options)
    if (use.name == name && !use.values.empty()) return &use.values[0];
  return nullptr;
}

std::vector<const OptionUse*> ParsedArguments::All(const char* name) const {
  std::vector<const OptionUse*> uses;
  for (const OptionUse& use : options)
    if (use.name == name) uses.push_back(&use);
  return uses;
}

bool ParseArguments(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs,
                    ParsedArguments* parsed, std::string* error) {
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      parsed->positionals.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const OptionSpec* option = nullptr;
    for (const OptionSpec& candidate : specs)
      if (arg == candidate.name) option = &candidate;
    if (!option) {
      *error = "unknown option '" + ShownName(arg) + "'";
      return false;
    }
    if (!option->repeatable && !parsed->All(option->name).empty()) {
      *error = "option " + arg + " may be given only once";
      return false;
    }
    if (args.size() - i - 1 < static_cast<size_t>(option->valueCount)) {
      *error = "option " + arg + (option->valueCount == 1 ? " needs a value" : " needs " +
                                  std::to_string(option->valueCount) + " values");
      return false;
    }
    OptionUse use{arg, {}};
    for (int v = 0; v < option->valueCount; ++v) use.values.push_back(args[++i]);
    parsed->options.push_back(use);
  }
  return true;
}

bool ParseMelodyNumber(const std::string& text, int* index, std::string* error) {
  if (text.size() != 1 || text[0] < '1' || text[0] > '4') {
    *error = "melody number must be 1, 2, 3 or 4, not '" + ShownName(text) + "'";
    return false;
  }
  *index = text[0] - '1';
  return true;
}

bool ParseTempo(const std::string& text, uint16_t* tempo) {
  if (text.empty() || text.size() > 5) return false;
  unsigned long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned long>(c - '0');
  }
  if (value > 65535) return false;
  *tempo = static_cast<uint16_t>(value);
  return true;
}
