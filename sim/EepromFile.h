#pragma once
// Block 5071 kept in a file between runs of the simulated phone: read at
// start when the file is there, written after each completed write through
// the staged writer (sys/StagedFile.h), so that a reader never sees half a
// block and a link or the file's mode stays as it was.
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

enum class EepromLoad { Loaded, Missing, Failed };

// Reads exactly `size` bytes; a file of another size is refused with a
// message in *error.
EepromLoad LoadEeprom(const std::string& path, size_t size, std::vector<uint8_t>* block, std::string* error);
bool SaveEeprom(const std::string& path, const std::vector<uint8_t>& block, std::string* error);

}  // namespace sim
