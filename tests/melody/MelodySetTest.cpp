#include <algorithm>
#include <cstring>

#include "sys/SystemInfo.h"
#include "tests/melody/MelodyTestSupport.h"

namespace melody_test {
namespace {


TEST_F(MelodyTest, StartsClearedWithEmptyTextsAtDefaultTempo) {
  EXPECT_EQ(Image(), Bytes(kBlockImageSize, 0));
  for (int k = 0; k < kMelodyCount; ++k) {
    EXPECT_EQ(set.MelodyTempo(k), 128);
    const char* text = set.MelodyText(k);
    EXPECT_TRUE(std::all_of(text, text + kMelodyTextSize, [](char c) { return c == 0; }));
  }
}

TEST_F(MelodyTest, WorkedExampleFillsMelodyOneAtTheEndOfTheImage) {
  EXPECT_EQ(Encode("C2(1/4) D2(1/8)"), (std::vector<Event>{{522, 496}, {586, 248}}));
  EXPECT_EQ(ImageRange(1806, 13),
            (Bytes{0x14, 0x00, 0x0A, 0x02, 0xF0, 0x01, 0x4A, 0x02, 0xF8, 0x00, 0xFC, 0xFF, 0x01}));
  EXPECT_EQ(ImageRange(0, 1806), Bytes(1806, 0));
  EXPECT_EQ(ImageRange(1819, kBlockImageSize - 1819), Bytes(kBlockImageSize - 1819, 0));
  EXPECT_EQ(LogLines(), "");
}

TEST_F(MelodyTest, SlotsRunInReverseMelodyOrderWithTheirHeaders) {
  for (int k = 0; k < kMelodyCount; ++k) {
    set.DecodeToBuffer(k, "C2(1/4)");
    const int start = (3 - k) * 602;
    EXPECT_EQ(ImageRange(start, 9), (Bytes{static_cast<uint8_t>(0x14 + k), 0x00, 0x0A, 0x02, 0xF0,
                                      0x01, 0xFC, 0xFF, 0x01}))
        << "melody index " << k;
  }
}

TEST_F(MelodyTest, EmptyTextMarksTheSlotAndLeavesTheEarlierEncodingBehind) {
  Encode("C2(1/4)");
  EXPECT_EQ(set.DecodeToBuffer(0, ""), 2);
  EXPECT_EQ(ImageRange(1806, 9), (Bytes{0xFF, 0x00, 0x0A, 0x02, 0xF0, 0x01, 0xFC, 0xFF, 0x01}));

  // A shorter encoding leaves the longer one's tail behind its terminator.
  Encode("C2(1/4) D2(1/8) E2(1/2)");
  Encode("P(1/1)");
  EXPECT_EQ(ImageRange(1806, 17), (Bytes{0x14, 0x00, 0xFF, 0xFF, 0xC0, 0x07, 0xFC, 0xFF, 0x01, 0x00,
                                    0x92, 0x02, 0xE0, 0x03, 0xFC, 0xFF, 0x01}));
}

TEST_F(MelodyTest, AbsentTextAndBadIndexWriteNothing) {
  EXPECT_EQ(set.DecodeToBuffer(1, nullptr), 1);
  sys::SetLastError(0);
  EXPECT_EQ(set.DecodeToBuffer(4, "C2(1/4)"), -1);
  sys::SetLastError(0);
  EXPECT_EQ(set.DecodeToBuffer(-1, "C2(1/4)"), -1);
  EXPECT_EQ(Image(), Bytes(kBlockImageSize, 0));
  EXPECT_EQ(LogLines(),
            "14:05:09 DecodeToBuffer(4),error code: 0\r\n"
            "14:05:09 DecodeToBuffer(-1),error code: 0\r\n");
}

TEST_F(MelodyTest, StrayIndexReachesNoMelody) {
  EXPECT_EQ(set.MelodyText(4), nullptr);
  EXPECT_EQ(set.MelodyText(-1), nullptr);
  set.MelodyTempo(7) = 5;
  set.MelodyTempo(-1) = 0;
  for (int k = 0; k < kMelodyCount; ++k) EXPECT_EQ(set.MelodyTempo(k), 128);
}

TEST_F(MelodyTest, EncodeAllTakesEachMelodyFromItsOwnBufferAndTempo) {
  strcpy(set.MelodyText(0), "C2(1/4)");
  strcpy(set.MelodyText(2), "P(1/8) X9(1/8)");
  strcpy(set.MelodyText(3), "a1(1/1)");
  set.MelodyTempo(3) = 256;
  set.BlockImage()[2 * 602] = 0x55;  // melody 2 (empty) only marks its first byte
  set.EncodeAll(&observer);
  EXPECT_EQ(Events(0), (std::vector<Event>{{522, 496}}));
  EXPECT_EQ(set.BlockImage()[2 * 602], 0xFF);
  EXPECT_EQ(Events(2), (std::vector<Event>{{0xFFFF, 248}, {0xFFFF, 31}}));
  EXPECT_EQ(Events(3), (std::vector<Event>{{440, 992}}));
  ASSERT_EQ(observer.placeholders.size(), 1u);
  EXPECT_EQ(observer.placeholders[0].k, 2);
}

TEST_F(MelodyTest, ResetAndClearRestoreTheStartingState) {
  Encode("C2(1/4)");
  strcpy(set.MelodyText(1), "D2(1/8)");
  set.MelodyTempo(2) = 9;
  set.ClearBlockImage();
  EXPECT_EQ(Image(), Bytes(kBlockImageSize, 0));
  EXPECT_EQ(set.MelodyTempo(2), 9);  // clearing the image leaves the melodies
  set.ResetMelodies();
  EXPECT_EQ(set.MelodyText(1)[0], 0);
  EXPECT_EQ(set.MelodyTempo(2), 128);
}

}  // namespace
}  // namespace melody_test
