// Random file bytes as a project: every text keeps a NUL inside its buffer,
// and what was loaded saves and loads back unchanged.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "melody/MelodySet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* file = fopen("fuzz-input.bmt", "wb");
  if (!file || (size && fwrite(data, 1, size, file) != size) || fclose(file) != 0) abort();

  static MelodySet loaded, reloaded;
  if (loaded.LoadProject("fuzz-input.bmt") != 1) abort();
  for (int k = 0; k < kMelodyCount; ++k)
    if (!memchr(loaded.MelodyText(k), 0, kMelodyTextSize)) abort();

  if (loaded.SaveProject("fuzz-again.bmt") != 1 || reloaded.LoadProject("fuzz-again.bmt") != 1) abort();
  for (int k = 0; k < kMelodyCount; ++k)
    if (strcmp(loaded.MelodyText(k), reloaded.MelodyText(k)) != 0 || loaded.MelodyTempo(k) != reloaded.MelodyTempo(k))
      abort();
  return 0;
}
