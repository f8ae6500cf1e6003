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
  for (int k = 0; k < kMelodyCount; ++k)
    all.append(set.MelodyText(k), kMelodyTextSize).append(reinterpret_cast<const char*>(&set.MelodyTempo(k)), 2);
  return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::ofstream("fuzz-input.bmt", std::ios::binary) << input;

  static MelodySet set;  // holds what an earlier input loaded
  const std::string before = Contents(set);
  const int result = set.LoadProject("fuzz-input.bmt");
  if (result == 1) {
    for (int k = 0; k < kMelodyCount; ++k)
      if (!memchr(set.MelodyText(k), 0, kMelodyTextSize)) abort();
    if (set.SaveProject("fuzz-again.bmt") != 1) abort();
    std::ifstream again("fuzz-again.bmt", std::ios::binary);
    if (std::string(std::istreambuf_iterator<char>(again), std::istreambuf_iterator<char>()) != input) abort();
  } else if (result != -1 || Contents(set) != before) {
    abort();
  }
  return 0;
}
