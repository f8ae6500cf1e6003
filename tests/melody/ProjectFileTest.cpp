#include <cstring>
#include <string>

#include "tests/melody/MelodyTestSupport.h"

namespace melody_test {
namespace {

using testing_support::ReadFile;
using testing_support::WriteFile;

std::string Word(uint16_t value) { return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)}; }
std::string Record(const std::string& text, uint16_t tempo) {
  return Word(static_cast<uint16_t>(text.size())) + text + Word(tempo);
}

class ProjectFileTest : public MelodyTest {
 protected:
  void ExpectMelodies(MelodySet& melodies, const std::vector<std::string>& texts,
                      const std::vector<uint16_t>& tempos) {
    for (int k = 0; k < kMelodyCount; ++k) {
      EXPECT_EQ(std::string(melodies.MelodyText(k)), texts[k]) << "melody " << k + 1;
      EXPECT_EQ(melodies.MelodyTempo(k), tempos[k]) << "melody " << k + 1;
    }
  }
};

TEST_F(ProjectFileTest, TempoWordsAreWrittenInStorageOrder) {
  set.MelodyTempo(0) = 100;
  set.MelodyTempo(3) = 200;
  ASSERT_EQ(set.SaveProject("tempos.bmt"), 1);
  EXPECT_EQ(ReadFile("tempos.bmt"), Record("", 200) + Record("", 128) + Record("", 128) + Record("", 100));
  EXPECT_EQ(Record("", 128), std::string("\0\0\x80\0", 4));
}

TEST_F(ProjectFileTest, SaveAndLoadGiveBackEveryTextAndTempo) {
  const std::vector<std::string> texts = {"C2(1/4) D2(1/8)\r\nP(1/4)", "", "\xCC\xE5\xEB\xEE\xE4\xE8\xFF (1/4)",
                                          std::string(2047, 'g')};
  const std::vector<uint16_t> tempos = {0, 65535, 300, 1};
  for (int k = 0; k < kMelodyCount; ++k) {
    strcpy(set.MelodyText(k), texts[k].c_str());
    set.MelodyTempo(k) = tempos[k];
  }
  ASSERT_EQ(set.SaveProject("song.bmt"), 1);
  EXPECT_EQ(ReadFile("song.bmt").size(), 16 + texts[0].size() + texts[2].size() + 2047);

  MelodySet loaded;
  strcpy(loaded.MelodyText(1), "left from before");
  ASSERT_EQ(loaded.LoadProject("song.bmt"), 1);
  ExpectMelodies(loaded, texts, tempos);
  EXPECT_EQ(loaded.MelodyText(1)[5], 0);  // the whole buffer was reset
}

TEST_F(ProjectFileTest, FilesThatCannotBeOpenedChangeNothing) {
  strcpy(set.MelodyText(0), "C2(1/4)");
  EXPECT_EQ(set.LoadProject("absent.bmt"), 0);
  EXPECT_EQ(set.SaveProject("no-such-folder/song.bmt"), 0);
  EXPECT_STREQ(set.MelodyText(0), "C2(1/4)");
}

TEST_F(ProjectFileTest, ShortFilesLoadWhatTheyHold) {
  const std::string file = Record("C2(1/4)", 0x1234) + Record("D2(1/8)", 0x0303) +
                           Record("E2(1/2)", 0x0202) + Record("F2(1/1)", 0x0101);
  const std::vector<std::string> none = {"", "", "", ""};
  const std::vector<uint16_t> reset = {128, 128, 128, 128};
  struct Case {
    size_t size;
    std::vector<std::string> texts;
    std::vector<uint16_t> tempos;
  };
  const Case cases[] = {
      {0, none, reset},
      {1, none, reset},  // half a length word: 7, and no text
      {10, {"C2(1/4)", "", "", ""}, {128, 128, 128, 0x0034}},  // half a tempo word
      {27, {"C2(1/4)", "D2(1/8)", "E2(", ""}, {128, 128, 0x0303, 0x1234}},
      {43, {"C2(1/4)", "D2(1/8)", "E2(1/2)", "F2(1/1)"}, {0x0001, 0x0202, 0x0303, 0x1234}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    WriteFile("cut.bmt", file.substr(0, c.size));
    strcpy(set.MelodyText(2), "stale melody");
    ASSERT_EQ(set.LoadProject("cut.bmt"), 1);
    ExpectMelodies(set, c.texts, c.tempos);
  }
}

TEST_F(ProjectFileTest, OverlongTextIsCutAndTheRecordsAfterItStillLoad) {
  WriteFile("long.bmt", Record(std::string(3000, 'a'), 0x0102) + Record("xyz", 200) + Record("", 7) +
                            Word(0xFFFF) + std::string(5000, 'b'));
  ASSERT_EQ(set.LoadProject("long.bmt"), 1);
  ExpectMelodies(set, {std::string(2047, 'a'), "xyz", "", std::string(2047, 'b')}, {128, 7, 200, 0x0102});

  WriteFile("zero-byte.bmt", Record(std::string("ab\0cd", 5), 90));
  ASSERT_EQ(set.LoadProject("zero-byte.bmt"), 1);
  EXPECT_STREQ(set.MelodyText(0), "ab");
  EXPECT_EQ(set.MelodyTempo(3), 90);
}

}  // namespace
}  // namespace melody_test
