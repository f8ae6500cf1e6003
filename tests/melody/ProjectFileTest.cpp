#include "tests/melody/MelodyTestSupport.h"

namespace {

std::string Word(uint16_t value) { return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)}; }
std::string Record(const std::string& text, uint16_t tempo) {
  return Word(static_cast<uint16_t>(text.size())) + text + Word(tempo);
}

// Loads the bytes as a project into a set whose melody 3 held a text before.
void ExpectLoads(const std::string& bytes, const std::vector<std::string>& texts, const std::vector<uint16_t>& tempos) {
  WriteFile("load.bmt", bytes);
  MelodySet set;
  strcpy(set.MelodyText(2), "stale melody");
  ASSERT_EQ(set.LoadProject("load.bmt"), 1);
  for (int k = 0; k < kMelodyCount; ++k) {
    EXPECT_EQ(std::string(set.MelodyText(k)), texts[k]) << "melody " << k + 1;
    EXPECT_EQ(set.MelodyTempo(k), tempos[k]) << "melody " << k + 1;
  }
}

TEST_F(MelodyTest, SaveWritesTextsInMelodyOrderAndTempoWordsInStorageOrder) {
  const std::vector<std::string> texts = {"C2(1/4)\r\nP(1/4)", "", "\xCC\xE5\xEB\xEE\xE4\xE8\xFF", std::string(2047, 'g')};
  const std::vector<uint16_t> tempos = {0, 65535, 300, 1};
  for (int k = 0; k < kMelodyCount; ++k) {
    strcpy(set.MelodyText(k), texts[k].c_str());
    set.MelodyTempo(k) = tempos[k];
  }
  ASSERT_EQ(set.SaveProject("song.bmt"), 1);
  const std::string saved = ReadFile("song.bmt");
  EXPECT_EQ(saved, Record(texts[0], 1) + Record(texts[1], 300) + Record(texts[2], 65535) + Record(texts[3], 0));
  ExpectLoads(saved, texts, tempos);

  EXPECT_EQ(set.LoadProject("absent.bmt"), 0);
  EXPECT_EQ(set.SaveProject("no-such-folder/song.bmt"), 0);
  EXPECT_EQ(set.MelodyText(3), texts[3]);
}

TEST_F(MelodyTest, ShortAndOverlongFilesLoadWhatTheyHold) {
  const std::string file = Record("C2(1/4)", 0x1234) + Record("D2(1/8)", 0x0303) + Record("E2(1/2)", 0x0202);
  ExpectLoads(file.substr(0, 1), {"", "", "", ""}, {128, 128, 128, 128});  // half a length word: 7, no text
  ExpectLoads(file.substr(0, 10), {"C2(1/4)", "", "", ""}, {128, 128, 128, 0x0034});  // half a tempo word
  ExpectLoads(file.substr(0, 27), {"C2(1/4)", "D2(1/8)", "E2(", ""}, {128, 128, 0x0303, 0x1234});
  // A text longer than its buffer is cut; the records after it still load.
  ExpectLoads(Record(std::string(3000, 'a'), 0x0102) + Record("xyz", 200) + Record("", 7) + Word(0xFFFF) +
                  std::string(5000, 'b'),
              {std::string(2047, 'a'), "xyz", "", std::string(2047, 'b')}, {128, 7, 200, 0x0102});
  ExpectLoads(Record(std::string("ab\0cd", 5), 90), {"ab", "", "", ""}, {128, 128, 128, 90});
}

}  // namespace
