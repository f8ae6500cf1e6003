// The block file (the image, 2408 bytes) and its description file beside it.
#include <cstdio>

#include "base/TextString.h"
#include "melody/MelodySet.h"

namespace {

// Seven CR LF lines: the phone's hardware id, the block id and its version.
constexpr char kDescription[] =
    "EEPROM block additional file.\r\n"
    "Phone HWid:\r\n"
    "131\r\n"
    "EEPROM BlockId:\r\n"
    "5071\r\n"
    "EEPROM BlockVer:\r\n"
    "4\r\n";
static_assert(sizeof kDescription - 1 == 93, "the description file is 93 bytes");

bool WriteDescription(const char* path) {
  FILE* file = fopen(path, "wb");
  if (!file) return false;
  const size_t size = sizeof kDescription - 1;
  const bool written = fwrite(kDescription, 1, size, file) == size;
  const bool closed = fclose(file) == 0;
  return written && closed;
}

}  // namespace

int MelodySet::ExportBlock(const char* path) {
  FILE* block = fopen(path, "wb");
  if (!block) return 0;
  bool complete = fwrite(image_, 1, sizeof image_, block) == sizeof image_;

  TextString descriptionPath(path);
  const int extension = descriptionPath.FindLast(".bin");
  if (extension >= 0) {
    descriptionPath.Overwrite(extension, ".bid");
    complete = WriteDescription(descriptionPath.Text()) && complete;
  }
  // A failed close means the buffered image never reached the disk.
  complete = fclose(block) == 0 && complete;
  return complete ? 1 : 0;
}
