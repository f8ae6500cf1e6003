// The .bmt project file: four records of text length (u16), text and tempo
// (u16). Record r holds melody r's text and the tempo word r of the set's
// tempo array, which is melody 5-r's: the array is written in storage order.
#include <cstdio>
#include <cstring>

#include "melody/LittleEndian.h"
#include "melody/MelodySet.h"

namespace {

constexpr size_t kMaxTextLength = kMelodyTextSize - 1;

bool WriteAll(FILE* file, const void* bytes, size_t count) {
  return count == 0 || fwrite(bytes, 1, count, file) == count;
}

bool WriteWord(FILE* file, uint16_t value) {
  uint8_t bytes[2];
  PutU16(bytes, value);
  return WriteAll(file, bytes, sizeof bytes);
}

// Reads a word over the value it has: bytes the file no longer holds keep
// theirs.
void ReadWordOver(FILE* file, uint16_t& value) {
  uint8_t bytes[2];
  PutU16(bytes, value);
  fread(bytes, 1, sizeof bytes, file);
  value = GetU16(bytes);
}

// Passes over count bytes of a text that does not fit its buffer, so the
// tempo and the records after it are read from where they stand.
void SkipBytes(FILE* file, size_t count) {
  uint8_t discard[256];
  while (count > 0) {
    size_t chunk = count < sizeof discard ? count : sizeof discard;
    size_t got = fread(discard, 1, chunk, file);
    if (got == 0) return;
    count -= got;
  }
}

}  // namespace

int MelodySet::SaveProject(const char* path) {
  FILE* file = fopen(path, "wb");
  if (!file) return 0;
  bool written = true;
  for (int r = 0; r < kMelodyCount; ++r) {
    const size_t length = strnlen(texts_[r], kMaxTextLength);
    written = written && WriteWord(file, static_cast<uint16_t>(length)) &&
              WriteAll(file, texts_[r], length) && WriteWord(file, tempos_[r]);
  }
  // Buffered bytes reach the disk only at the close: a full disk shows there.
  const bool closed = fclose(file) == 0;
  return written && closed ? 1 : 0;
}

int MelodySet::LoadProject(const char* path) {
  FILE* file = fopen(path, "rb");
  if (!file) return 0;
  ResetMelodies();
  for (int r = 0; r < kMelodyCount; ++r) {
    uint16_t length = 0;
    ReadWordOver(file, length);
    const size_t kept = length < kMaxTextLength ? length : kMaxTextLength;
    // The buffer's last byte is never read into: the text keeps its NUL.
    fread(texts_[r], 1, kept, file);
    SkipBytes(file, length - kept);
    ReadWordOver(file, tempos_[r]);
  }
  fclose(file);
  return 1;
}
