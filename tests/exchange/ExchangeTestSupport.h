#pragma once
// Reading ringtones for the exchange tests.
#include <gtest/gtest.h>

#include <string>

#include "exchange/Rtttl.h"
#include "exchange/RtttlImport.h"

namespace exchange_testing {

inline ImportedMelody Imported(const std::string& rtttl) {
  RtttlTune tune;
  std::string error;
  EXPECT_TRUE(ParseRtttl(rtttl, &tune, &error)) << rtttl << ": " << error;
  return ConvertRtttl(tune);
}

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace exchange_testing
