// Random file bytes as a project: every text keeps a NUL inside its buffer,
// and what was loaded saves and loads back unchanged.
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "melody/MelodySet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::ofstream("fuzz-input.bmt", std::ios::binary).write(reinterpret_cast<const char*>(data), size);

  static MelodySet loaded, reloaded;
  if (loaded.LoadProject("fuzz-input.bmt") != 1 || loaded.SaveProject("fuzz-again.bmt") != 1 ||
      reloaded.LoadProject("fuzz-again.bmt") != 1)
    abort();
  for (int k = 0; k < kMelodyCount; ++k)
    if (!memchr(loaded.MelodyText(k), 0, kMelodyTextSize) || strcmp(loaded.MelodyText(k), reloaded.MelodyText(k)) != 0 ||
        loaded.MelodyTempo(k) != reloaded.MelodyTempo(k))
      abort();
  return 0;
}
