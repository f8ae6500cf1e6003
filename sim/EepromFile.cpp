#include "sim/EepromFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace sim {

EepromLoad LoadEeprom(const std::string& path, size_t size, std::vector<uint8_t>* block, std::string* error) {
  std::error_code code;
  if (!std::filesystem::exists(path, code)) return EepromLoad::Missing;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return EepromLoad::Failed;
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() != size) {
    *error = path + " holds " + std::to_string(bytes.size()) + " bytes, but the block is " + std::to_string(size) +
             " bytes";
    return EepromLoad::Failed;
  }
  *block = std::move(bytes);
  return EepromLoad::Loaded;
}

bool SaveEeprom(const std::string& path, const std::vector<uint8_t>& block, std::string* error) {
  std::string temporary = path + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size()));
    out.flush();
    if (!out) {
      *error = "cannot write " + temporary;
      out.close();
      std::remove(temporary.c_str());
      return false;
    }
  }
  std::error_code code;
  std::filesystem::rename(temporary, path, code);
  if (code) {
    *error = "cannot replace " + path + ": " + code.message();
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace sim
