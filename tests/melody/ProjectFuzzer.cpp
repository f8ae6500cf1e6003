// Random file bytes as a project: the loader either takes the whole file,
// which then saves back byte for byte, or leaves the set as it was; it never
// reads or writes outside its buffers.
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "melody/MelodySet.h"

namespace {

std::string Contents(MelodySet& set) {
  std::string all(reinterpret_cast<const char*>(set.BlockImage()), kBlockImageSize);
  for (int k = 0; k < kMelodyCount; ++k) {
    all.append(set.MelodyText(k), kMelodyTextSize);
    all.append(reinterpret_cast<const char*>(&set.MelodyTempo(k)), sizeof(uint16_t));
  }
  return all;
}

std::string ReadBack(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::ofstream("fuzz-input.bmt", std::ios::binary).write(input.data(), static_cast<std::streamsize>(size));

  static MelodySet set;  // holds what an earlier input loaded
  const std::string before = Contents(set);
  const int result = set.LoadProject("fuzz-input.bmt");
  if (result == 1) {
    for (int k = 0; k < kMelodyCount; ++k)
      if (!memchr(set.MelodyText(k), 0, kMelodyTextSize)) abort();
    if (set.SaveProject("fuzz-again.bmt") != 1 || ReadBack("fuzz-again.bmt") != input) abort();
  } else if (result != -1 || Contents(set) != before) {
    abort();
  }
  return 0;
}
