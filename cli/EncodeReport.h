#pragma once
// What the encoder met in a melody, told to a person: which melody, where
// in its text (line and column), what and why.
#include <cstdint>
#include <string>
#include <vector>

#include "melody/Encoder.h"

struct PlaceholderReport {
  int k;
  std::string noteToken;
  std::string durationToken;
  int notePosition;  // -1 for an empty note token
  int durationPosition;
};

struct TruncationReport {
  int k;
  int keptEvents;
  int droppedFromPosition;
};

class EncodeRecorder : public EncodeObserver {
 public:
  void OnPlaceholder(int k, const char* noteToken, const char* durationToken, int notePosition,
                     int durationPosition) override;
  void OnTruncated(int k, int keptEvents, int droppedFromPosition) override;

  std::vector<PlaceholderReport> placeholders;
  std::vector<TruncationReport> truncations;
};

// text is the melody's text as encoded, tempo its tempo.
std::string DescribePlaceholder(const PlaceholderReport& report, const std::string& text, uint16_t tempo);
std::string DescribeTruncation(const TruncationReport& report, const std::string& text);

// Where the text stops giving notes: the text after the last duration (or
// the whole text, when it has none) that holds something other than blanks
// and line breaks, which the encoder drops without a word. -1 when none.
int IgnoredTailStart(const std::string& text);
