#pragma once
// A fresh MelodySet in a scratch folder with fixed system facts, and readers
// for what the encoder leaves in the image, the observer and the log.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "diag/ErrorLog.h"
#include "melody/MelodySet.h"
#include "tests/support/TestSupport.h"

namespace melody_test {

// One line per call: "note|duration|notePosition|durationPosition" or
// "cut k kept from".
class RecordingObserver : public EncodeObserver {
 public:
  void OnPlaceholder(int, const char* note, const char* duration, int notePosition,
                     int durationPosition) override {
    calls.push_back(std::string(note) + "|" + duration + "|" + std::to_string(notePosition) + "|" +
                    std::to_string(durationPosition));
  }
  void OnTruncated(int k, int kept, int from) override {
    calls.push_back("cut " + std::to_string(k) + " " + std::to_string(kept) + " " + std::to_string(from));
  }
  std::vector<std::string> calls;
};

inline std::string Hex(const uint8_t* bytes, int count) {
  std::string hex;
  char digits[4];
  for (int i = 0; i < count; ++i) {
    snprintf(digits, sizeof digits, i ? " %02X" : "%02X", bytes[i]);
    hex += digits;
  }
  return hex;
}

class MelodyTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetLogHeaderForTest(); }

  std::string ImageHex(int from, int count) const { return Hex(set.BlockImage() + from, count); }

  // Encodes text as melody k and gives its slot from the header through the
  // terminator.
  std::string Encode(const std::string& text, uint16_t tempo = kDefaultTempo, int k = 0) {
    set.MelodyTempo(k) = tempo;
    EXPECT_EQ(set.DecodeToBuffer(k, text.c_str(), &observer), 0);
    const uint8_t* slot = set.BlockImage() + kSlotSize * (3 - k);
    for (int at = 2; at + 3 <= kSlotSize; at += 4)
      if (slot[at] == 0xFC && slot[at + 1] == 0xFF && slot[at + 2] == 0x01) return Hex(slot, at + 3);
    ADD_FAILURE() << "no terminator in the slot";
    return "";
  }

  // What "Error.log" holds after its header block.
  std::string LogLines() const {
    std::string log = testing_support::ReadFile(dir.Path() / "Error.log");
    const std::string label = "\r\nRelease version:\r\n";
    size_t at = log.find(label);
    return at == std::string::npos ? log : log.substr(at + label.size());
  }

  testing_support::ScopedWorkDir dir;
  testing_support::FakeSystemInfo system;
  MelodySet set;
  RecordingObserver observer;
};

}  // namespace melody_test
