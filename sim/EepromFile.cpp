#include "sim/EepromFile.h"

#include "sys/ErrorText.h"
#include "sys/FileSystem.h"
#include "sys/StagedFile.h"
#include "sys/SystemInfo.h"

namespace sim {
namespace {

std::string Reason() { return sys::ErrorText(sys::LastError()); }

}  // namespace

EepromLoad LoadEeprom(const std::string& path, size_t size, std::vector<uint8_t>* block, std::string* error) {
  sys::FileSystem& files = sys::CurrentFileSystem();
  if (!files.Exists(path.c_str())) return EepromLoad::Missing;
  // One byte more than the block tells a file that is too long.
  std::vector<uint8_t> bytes(size + 1);
  size_t got = 0;
  if (!files.Read(path.c_str(), bytes.data(), bytes.size(), &got)) {
    *error = "cannot read " + path + ": " + Reason();
    return EepromLoad::Failed;
  }
  if (got != size) {
    *error = path + " holds " + (got > size ? "more than " + std::to_string(size) : std::to_string(got)) +
             " bytes, but the block is " + std::to_string(size) + " bytes";
    return EepromLoad::Failed;
  }
  bytes.resize(size);
  *block = std::move(bytes);
  return EepromLoad::Loaded;
}

bool SaveEeprom(const std::string& path, const std::vector<uint8_t>& block, std::string* error) {
  sys::StagedFile file;
  if (!file.Create(path.c_str()) || !file.Append(block.data(), block.size()) || !file.Commit()) {
    *error = "cannot write " + path + ": " + Reason();
    return false;
  }
  return true;
}

}  // namespace sim
