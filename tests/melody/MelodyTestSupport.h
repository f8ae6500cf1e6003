#pragma once
// A fresh MelodySet in a scratch folder with fixed system facts, and readers
// for what the encoder leaves in the image and the log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "diag/ErrorLog.h"
#include "melody/MelodySet.h"
#include "tests/support/TestSupport.h"

using testing_support::ReadFile;
using testing_support::WriteFile;

// "14 00 FC FF 01"
inline std::string Hex(const uint8_t* bytes, int count) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (int i = 0; i < count; ++i) hex += std::string(i ? " " : "") + kDigits[bytes[i] >> 4] + kDigits[bytes[i] & 15];
  return hex;
}

inline bool AllBytes(const uint8_t* from, int count, uint8_t value) {
  return std::all_of(from, from + count, [value](uint8_t b) { return b == value; });
}

// Files in the current folder: a temporary left behind shows here.
inline size_t FilesHere() {
  return std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator());
}

class MelodyTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetLogHeaderForTest(); }

  std::string ImageHex(int from, int count) const { return Hex(set.BlockImage() + from, count); }

  // Encodes text as melody k and gives its slot from the header through the
  // terminator (the whole slot when there is none).
  std::string Encode(const std::string& text, uint16_t tempo = kDefaultTempo, int k = 0) {
    set.MelodyTempo(k) = tempo;
    EXPECT_EQ(set.DecodeToBuffer(k, text.c_str()), 0);
    const uint8_t* slot = set.BlockImage() + kSlotSize * (3 - k);
    int end = 2;
    while (end + 3 <= kSlotSize && Hex(slot + end, 3) != "FC FF 01") end += 4;
    return Hex(slot, std::min(end + 3, kSlotSize));
  }

  // What "Error.log" holds after its header block.
  std::string LogLines() const {
    const std::string log = ReadFile(dir.Path() / "Error.log"), label = "\r\nRelease version:\r\n";
    const size_t at = log.find(label);
    return at == std::string::npos ? log : log.substr(at + label.size());
  }

  testing_support::ScopedWorkDir dir;
  testing_support::FakeSystemInfo system;
  MelodySet set;
};
