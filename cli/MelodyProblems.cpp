#include "cli/MelodyProblems.h"

#include "cli/TextDisplay.h"
#include "melody/DurationTable.h"
#include "melody/SlotReader.h"

namespace {

std::string SaturationProblem(int k, uint16_t tempo, const std::vector<NoteEvent>& events) {
  std::string numbers;
  int count = 0;
  for (size_t i = 0; i < events.size(); ++i) {
    if (events[i].duration != kLongestDuration) continue;
    if (count++) numbers += ", ";
    numbers += std::to_string(i + 1);
  }
  if (!count) return "";
  std::string tokens;
  for (int i = 0; i < kDurationRowCount; ++i) {
    const DurationRow& row = DurationTable()[i];
    if (ScaledDuration(row.base, tempo) <= kLongestDuration) continue;
    if (!tokens.empty()) tokens += ", ";
    tokens += row.token + (" would last " + std::to_string(ScaledDuration(row.base, tempo)));
  }
  return "melody " + std::to_string(k + 1) + ": at tempo " + std::to_string(tempo) + " " + tokens +
         ", longer than the " + std::to_string(kLongestDuration) + " a note holds; " +
         (count == 1 ? "note " + numbers + " is" : "notes " + numbers + " are") + " shortened to " +
         std::to_string(kLongestDuration);
}

}  // namespace

std::vector<std::string> EncodingProblems(int k, const std::string& text, uint16_t tempo,
                                          const EncodeRecorder& recorder, const uint8_t* image) {
  std::vector<std::string> problems;
  for (const PlaceholderReport& report : recorder.placeholders)
    if (report.k == k) problems.push_back(DescribePlaceholder(report, text, tempo));
  for (const TruncationReport& report : recorder.truncations)
    if (report.k == k) problems.push_back(DescribeTruncation(report, text));
  const int tail = IgnoredTailStart(text);
  if (tail >= 0)
    problems.push_back("melody " + std::to_string(k + 1) + ", " + DescribePosition(text, tail) + ": \"" +
                       Printable(text.substr(static_cast<size_t>(tail))) +
                       "\" gives no note: a note needs its duration right after it, as in C2(1/4)");
  const std::string saturation = SaturationProblem(k, tempo, ReadSlot(image, k).events);
  if (!saturation.empty()) problems.push_back(saturation);
  return problems;
}
