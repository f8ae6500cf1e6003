#include <cstring>
#include <string>

#include "tests/melody/MelodyTestSupport.h"

namespace melody_test {
namespace {

using testing_support::ReadFile;
using testing_support::WriteFile;

std::string Word(uint16_t value) {
  return std::string{static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string Record(const std::string& text, uint16_t tempo) {
  return Word(static_cast<uint16_t>(text.size())) + text + Word(tempo);
}

class ProjectFileTest : public MelodyTest {
 protected:
  void ExpectMelodies(const std::string (&texts)[4], const uint16_t (&tempos)[4]) {
    for (int k = 0; k < kMelodyCount; ++k) {
      EXPECT_EQ(std::string(set.MelodyText(k)), texts[k]) << "melody " << k + 1;
      EXPECT_EQ(set.MelodyTempo(k), tempos[k]) << "melody " << k + 1;
    }
  }
  void Fill(const std::string (&texts)[4], const uint16_t (&tempos)[4]) {
    for (int k = 0; k < kMelodyCount; ++k) {
      strcpy(set.MelodyText(k), texts[k].c_str());
      set.MelodyTempo(k) = tempos[k];
    }
  }
};

TEST_F(ProjectFileTest, EmptyMelodiesSaveAsSixteenBytesWithTempoWordsInStorageOrder) {
  ASSERT_EQ(set.SaveProject("default.bmt"), 1);
  EXPECT_EQ(ReadFile("default.bmt"), std::string("\0\0\x80\0", 4) + std::string("\0\0\x80\0", 4) +
                                         std::string("\0\0\x80\0", 4) + std::string("\0\0\x80\0", 4));
  set.MelodyTempo(0) = 100;
  set.MelodyTempo(3) = 200;
  ASSERT_EQ(set.SaveProject("tempos.bmt"), 1);
  EXPECT_EQ(ReadFile("tempos.bmt"), std::string("\0\0\xC8\0", 4) + std::string("\0\0\x80\0", 4) +
                                        std::string("\0\0\x80\0", 4) + std::string("\0\0\x64\0", 4));
}

TEST_F(ProjectFileTest, SaveAndLoadGiveBackEveryTextAndTempo) {
  const std::string texts[4] = {"C2(1/4) D2(1/8)\r\nP(1/4)", "",
                                "\xCC\xE5\xEB\xEE\xE4\xE8\xFF (1/4)", std::string(2047, 'g')};
  const uint16_t tempos[4] = {0, 65535, 300, 1};
  Fill(texts, tempos);
  ASSERT_EQ(set.SaveProject("song.bmt"), 1);
  EXPECT_EQ(ReadFile("song.bmt").size(), 16 + texts[0].size() + texts[2].size() + 2047);

  MelodySet loaded;
  strcpy(loaded.MelodyText(1), "left from before");
  ASSERT_EQ(loaded.LoadProject("song.bmt"), 1);
  for (int k = 0; k < kMelodyCount; ++k) {
    EXPECT_EQ(std::string(loaded.MelodyText(k)), texts[k]);
    EXPECT_EQ(loaded.MelodyTempo(k), tempos[k]);
  }
  EXPECT_EQ(loaded.MelodyText(1)[5], 0);  // the reset cleared the whole buffer
}

TEST_F(ProjectFileTest, MissingFilesChangeNothing) {
  strcpy(set.MelodyText(0), "C2(1/4)");
  set.MelodyTempo(0) = 77;
  EXPECT_EQ(set.LoadProject("absent.bmt"), 0);
  EXPECT_EQ(set.SaveProject("no-such-folder/song.bmt"), 0);
  EXPECT_STREQ(set.MelodyText(0), "C2(1/4)");
  EXPECT_EQ(set.MelodyTempo(0), 77);
  EXPECT_FALSE(std::filesystem::exists("no-such-folder"));
}

TEST_F(ProjectFileTest, ShortFilesLoadWhatTheyHold) {
  // Melody tempos 1..4: 0x0101, 0x0202, 0x0303, 0x1234 (word order 4, 3, 2, 1).
  const std::string file = Record("C2(1/4)", 0x1234) + Record("D2(1/8)", 0x0303) +
                           Record("E2(1/2)", 0x0202) + Record("F2(1/1)", 0x0101);
  ASSERT_EQ(file.size(), 44u);
  struct Case {
    size_t size;
    std::string texts[4];
    uint16_t tempos[4];
  };
  const Case cases[] = {
      {0, {"", "", "", ""}, {128, 128, 128, 128}},
      {1, {"", "", "", ""}, {128, 128, 128, 128}},       // half a length: 7, no text left
      {10, {"C2(1/4)", "", "", ""}, {128, 128, 128, 0x34}},  // half a tempo: low byte only
      {12, {"C2(1/4)", "", "", ""}, {128, 128, 128, 0x1234}},
      {27, {"C2(1/4)", "D2(1/8)", "E2(", ""}, {128, 128, 0x0303, 0x1234}},
      {43, {"C2(1/4)", "D2(1/8)", "E2(1/2)", "F2(1/1)"}, {0x0001, 0x0202, 0x0303, 0x1234}},
      {44, {"C2(1/4)", "D2(1/8)", "E2(1/2)", "F2(1/1)"}, {0x0101, 0x0202, 0x0303, 0x1234}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    WriteFile("cut.bmt", file.substr(0, c.size));
    strcpy(set.MelodyText(2), "stale melody");
    set.MelodyTempo(0) = 5;
    ASSERT_EQ(set.LoadProject("cut.bmt"), 1);
    ExpectMelodies(c.texts, c.tempos);
  }
}

TEST_F(ProjectFileTest, OverlongTextIsCutAndTheRecordsAfterItStillLoad) {
  const std::string tooLong(3000, 'a');
  const std::string later(5000, 'b');
  WriteFile("long.bmt", Record(tooLong, 0x0102) + Record("xyz", 200) + Record("", 7) +
                            Word(0xFFFF) + later);
  ASSERT_EQ(set.LoadProject("long.bmt"), 1);
  EXPECT_EQ(std::string(set.MelodyText(0)), std::string(2047, 'a'));
  EXPECT_EQ(set.MelodyText(0)[2047], '\0');
  const std::string texts[4] = {std::string(2047, 'a'), "xyz", "", std::string(2047, 'b')};
  const uint16_t tempos[4] = {128, 7, 200, 0x0102};  // the last record's tempo is past the end
  ExpectMelodies(texts, tempos);
}

TEST_F(ProjectFileTest, TextEndsAtItsFirstZeroByte) {
  WriteFile("nul.bmt", Record(std::string("ab\0cd", 5), 90) + Record("", 1) + Record("", 2) +
                           Record("", 3));
  ASSERT_EQ(set.LoadProject("nul.bmt"), 1);
  EXPECT_STREQ(set.MelodyText(0), "ab");
  EXPECT_EQ(set.MelodyTempo(3), 90);
}

}  // namespace
}  // namespace melody_test
