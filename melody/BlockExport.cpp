// The block file (the image, 2408 bytes) and its description file beside it,
// written both or neither.
#include "melody/BlockExport.h"

#include "melody/MelodySet.h"
#include "sys/FileSystem.h"
#include "sys/StagedFile.h"

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
constexpr size_t kDescriptionSize = sizeof kDescription - 1;
static_assert(kDescriptionSize == 93, "the description file is 93 bytes");

bool Stage(sys::StagedFile& file, const char* path, const void* bytes, size_t count) {
  return file.Create(path) && file.Append(bytes, count) && file.Finish();
}

}  // namespace

TextString DescriptionPathFor(const char* blockPath) {
  TextString path(blockPath);
  const int extension = path.FindLast(".bin");
  if (extension < 0) return TextString();
  path.Overwrite(extension, ".bid");
  return path;
}

int MelodySet::ExportBlock(const char* path) {
  sys::StagedFile block, description;
  if (!Stage(block, path, image_, sizeof image_)) return 0;
  const TextString descriptionPath = DescriptionPathFor(path);
  if (descriptionPath.Length() == 0) return block.Commit() ? 1 : 0;
  if (!Stage(description, descriptionPath.Text(), kDescription, kDescriptionSize)) return 0;

  // Both are complete on disk; now the moves. The description goes first:
  // its text never changes, so putting it back means at most removing it.
  const bool descriptionExisted = sys::CurrentFileSystem().Exists(description.Target().c_str());
  if (!description.Commit()) return 0;
  if (block.Commit()) return 1;
  if (!descriptionExisted) sys::RemoveKeepingError(description.Target().c_str());
  return 0;
}
