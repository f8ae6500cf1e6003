#include "exchange/TopVoice.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// "60 0-96, P 96-120, ...": each run's key (P for a pause) and ticks.
std::string Runs(const std::vector<VoiceNote>& notes, uint32_t tolerance) {
  std::string text;
  for (const VoiceRun& run : TopVoice(notes, tolerance))
    text += (text.empty() ? "" : ", ") + (run.note < 0 ? std::string("P") : std::to_string(notes[static_cast<size_t>(run.note)].key)) +
            " " + std::to_string(run.start) + "-" + std::to_string(run.end);
  return text;
}

}  // namespace

TEST(TopVoice, TheHighestNoteSoundingIsHeard) {
  struct Case {
    const char* what;
    std::vector<VoiceNote> notes;
    std::string runs;
    int mostAtOnce;
  };
  // Tolerance 2 ticks throughout.
  const Case cases[] = {
      {"one note after the other, a rest between", {{0, 96, 60}, {96, 192, 62}, {240, 288, 64}},
       "60 0-96, 62 96-192, P 192-240, 64 240-288", 1},
      {"a chord: its top note", {{0, 96, 60}, {0, 96, 64}, {0, 96, 67}, {96, 192, 65}, {96, 192, 62}},
       "67 0-96, 65 96-192", 3},
      {"a higher note over a long one: the long one before and after it",
       {{0, 192, 60}, {48, 96, 72}}, "60 0-48, 72 48-96, 60 96-192", 2},
      {"a lower note under a long one is not heard", {{0, 192, 72}, {48, 96, 60}}, "72 0-192", 2},
      {"a higher note begins before the one below ends: the lower one is cut short",
       {{0, 96, 60}, {48, 144, 64}}, "60 0-48, 64 48-144", 2},
      {"one-tick gaps, as a converter leaves them, are no pauses",
       {{1, 96, 60}, {97, 192, 62}, {193, 288, 60}}, "60 1-97, 62 97-193, 60 193-288", 1},
      {"a note held two ticks into a higher one",
       {{0, 98, 60}, {96, 192, 64}}, "60 0-96, 64 96-192", 1},
      {"a note held two ticks into a lower one: no fragment of it after",
       {{0, 98, 64}, {96, 192, 60}}, "64 0-98, 60 98-192", 1},
      {"a lower note two ticks longer than the higher one: no note of two ticks",
       {{0, 96, 64}, {0, 98, 60}, {98, 192, 62}}, "64 0-98, 62 98-192", 2},
      {"a key struck again while it sounds is heard anew", {{0, 98, 60}, {96, 192, 60}}, "60 0-96, 60 96-192", 1},
      {"a gap longer than the tolerance is a pause", {{0, 96, 60}, {99, 192, 62}}, "60 0-96, P 96-99, 62 99-192", 1},
      {"notes too short to hear go to what sounds before them",
       {{0, 96, 60}, {96, 98, 72}, {98, 192, 62}, {192, 192, 80}}, "60 0-98, 62 98-192", 1},
      {"the melody begins with a note worth hearing", {{0, 2, 72}, {10, 96, 60}}, "60 10-96", 1},
      {"only a note too short: it is all there is", {{5, 6, 72}}, "72 5-6", 0},
      {"notes of no length only", {{5, 5, 72}}, "", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Runs(c.notes, 2), c.runs) << c.what;
    EXPECT_EQ(MostAtOnce(c.notes, 2), c.mostAtOnce) << c.what;
  }
}
