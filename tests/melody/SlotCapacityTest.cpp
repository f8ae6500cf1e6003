#include <algorithm>
#include <cstring>
#include <string>

#include "sys/SystemInfo.h"
#include "tests/melody/MelodyTestSupport.h"

namespace melody_test {
namespace {

std::string Notes(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += "C2(1/4) ";
  return text;
}

TEST_F(MelodyTest, ExactlyFullSlotLeavesItsLastByte) {
  set.BlockImage()[1806 + 601] = 0xAB;
  EXPECT_EQ(Encode(Notes(149)).size(), 149u);
  EXPECT_EQ(ImageRange(1806 + 598, 4), (Bytes{0xFC, 0xFF, 0x01, 0xAB}));
  EXPECT_TRUE(observer.truncations.empty());
  EXPECT_EQ(LogLines(), "");
}

TEST_F(MelodyTest, LongerMelodiesAreCutToTheSlot) {
  memset(set.BlockImage(), 0xAB, kBlockImageSize);
  const std::vector<uint8_t> before = Image();
  sys::SetLastError(0);
  // Melody 4 fills the first slot; a write past it would reach melody 3's.
  std::vector<Event> events = Encode(Notes(149) + "D2(1/8) X9(1/4)" + Notes(200), 128, 3);
  EXPECT_EQ(events.size(), 149u);
  EXPECT_EQ(events.back(), (Event{522, 496}));
  EXPECT_EQ(ImageRange(598, 4), (Bytes{0xFC, 0xFF, 0x01, 0xAB}));
  EXPECT_TRUE(std::equal(before.begin() + 602, before.end(), set.BlockImage() + 602));

  ASSERT_EQ(observer.truncations.size(), 1u);
  EXPECT_EQ(observer.truncations[0].k, 3);
  EXPECT_EQ(observer.truncations[0].keptEvents, 149);
  EXPECT_EQ(observer.truncations[0].droppedFromPosition, 149 * 8);
  EXPECT_TRUE(observer.placeholders.empty());  // the cut part is not looked at
  EXPECT_EQ(LogLines(),
            "14:05:09 DecodeToBuffer(3), more than 149 notes: cut before position 1192,"
            "error code: 0\r\n");

  // A trailing note without a duration is not an event and cuts nothing.
  Encode(Notes(149) + "D2");
  EXPECT_EQ(observer.truncations.size(), 1u);
}

TEST_F(MelodyTest, CutPositionOfANoteWithoutName) {
  Encode(Notes(149) + " (1/4)");
  ASSERT_EQ(observer.truncations.size(), 1u);
  EXPECT_EQ(observer.truncations[0].droppedFromPosition, 149 * 8 + 1);
}

}  // namespace
}  // namespace melody_test
