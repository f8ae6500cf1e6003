// Random file bytes as a project: every text must keep a NUL inside its
// buffer, and what was loaded must save and load back unchanged.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "melody/MelodySet.h"

namespace {

void WriteBytes(const char* path, const uint8_t* data, size_t size) {
  FILE* file = fopen(path, "wb");
  if (!file) abort();
  if (size && fwrite(data, 1, size, file) != size) abort();
  fclose(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MelodySet loaded, reloaded;
  WriteBytes("fuzz-input.bmt", data, size);
  if (loaded.LoadProject("fuzz-input.bmt") != 1) abort();
  for (int k = 0; k < kMelodyCount; ++k)
    if (!memchr(loaded.MelodyText(k), 0, kMelodyTextSize)) abort();

  if (loaded.SaveProject("fuzz-again.bmt") != 1) abort();
  if (reloaded.LoadProject("fuzz-again.bmt") != 1) abort();
  for (int k = 0; k < kMelodyCount; ++k) {
    if (strcmp(loaded.MelodyText(k), reloaded.MelodyText(k)) != 0) abort();
    if (loaded.MelodyTempo(k) != reloaded.MelodyTempo(k)) abort();
  }
  return 0;
}
