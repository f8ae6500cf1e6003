#pragma once
// A fresh MelodySet in a scratch folder with fixed system facts, and readers
// for what the encoder leaves in the image and the log.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "diag/ErrorLog.h"
#include "melody/MelodySet.h"
#include "tests/support/TestSupport.h"

namespace melody_test {

struct Event {
  uint16_t toneCode;
  uint16_t duration;
  bool operator==(const Event& other) const {
    return toneCode == other.toneCode && duration == other.duration;
  }
};

inline std::ostream& operator<<(std::ostream& out, const Event& event) {
  return out << "{" << event.toneCode << ", " << event.duration << "}";
}

using EventList = std::vector<Event>;
using Bytes = std::vector<uint8_t>;

struct Placeholder {
  int k;
  std::string note, duration;
  int notePosition, durationPosition;
};

class RecordingObserver : public EncodeObserver {
 public:
  void OnPlaceholder(int k, const char* noteToken, const char* durationToken, int notePosition,
                     int durationPosition) override {
    placeholders.push_back({k, noteToken, durationToken, notePosition, durationPosition});
  }
  void OnTruncated(int k, int keptEvents, int droppedFromPosition) override {
    truncations.push_back({k, keptEvents, droppedFromPosition});
  }
  std::vector<Placeholder> placeholders;
  struct Truncation {
    int k, keptEvents, droppedFromPosition;
  };
  std::vector<Truncation> truncations;
};

class MelodyTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetLogHeaderForTest(); }

  int SlotStart(int k) const { return kSlotSize * (kMelodyCount - 1 - k); }
  std::vector<uint8_t> Image() const {
    return std::vector<uint8_t>(set.BlockImage(), set.BlockImage() + kBlockImageSize);
  }
  std::vector<uint8_t> ImageRange(int from, int count) const {
    return std::vector<uint8_t>(set.BlockImage() + from, set.BlockImage() + from + count);
  }

  // Encodes text as melody k at the given tempo and reads the events back,
  // checking the header and that a terminator ends them inside the slot.
  std::vector<Event> Encode(const std::string& text, uint16_t tempo = kDefaultTempo, int k = 0) {
    set.MelodyTempo(k) = tempo;
    EXPECT_EQ(set.DecodeToBuffer(k, text.c_str(), &observer), 0);
    return Events(k);
  }

  std::vector<Event> Events(int k) const {
    const uint8_t* slot = set.BlockImage() + SlotStart(k);
    EXPECT_EQ(slot[0] | (slot[1] << 8), 0x14 + k) << "header of melody index " << k;
    std::vector<Event> events;
    for (int at = 2; at + 3 <= kSlotSize; at += 4) {
      if (slot[at] == 0xFC && slot[at + 1] == 0xFF && slot[at + 2] == 0x01) return events;
      events.push_back({static_cast<uint16_t>(slot[at] | (slot[at + 1] << 8)),
                        static_cast<uint16_t>(slot[at + 2] | (slot[at + 3] << 8))});
    }
    ADD_FAILURE() << "no terminator in the slot of melody index " << k;
    return events;
  }

  // What "Error.log" holds after its header block ("" when there is none).
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
