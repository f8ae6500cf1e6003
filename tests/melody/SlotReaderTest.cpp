#include "melody/SlotReader.h"

#include "tests/melody/MelodyTestSupport.h"

namespace {

std::vector<std::pair<int, int>> Events(const SlotContents& slot) {
  std::vector<std::pair<int, int>> events;
  for (const NoteEvent& event : slot.events) events.push_back({event.toneCode, event.duration});
  return events;
}

TEST_F(MelodyTest, EachSlotReadsBackAsTheEventsTheEncoderWrote) {
  std::string full;
  for (int i = 0; i < 150; ++i) full += "A1(1/1) ";  // one more than the slot holds
  set.MelodyTempo(0) = 128;
  set.MelodyTempo(2) = 1;
  set.DecodeToBuffer(0, "C2(1/4) X9(1/8) P(1/1)");
  set.DecodeToBuffer(1, "");
  set.DecodeToBuffer(2, full.c_str());
  set.DecodeToBuffer(3, "C2 D2");

  const SlotContents first = ReadSlot(set.BlockImage(), 0);
  EXPECT_EQ(first.state, SlotState::Melody);
  EXPECT_EQ(Events(first), (std::vector<std::pair<int, int>>{{522, 496}, {0xFFFF, 31}, {0xFFFF, 1984}}));
  EXPECT_EQ(ReadSlot(set.BlockImage(), 1).state, SlotState::Empty);
  const SlotContents third = ReadSlot(set.BlockImage(), 2);
  EXPECT_EQ(third.state, SlotState::Melody);
  EXPECT_EQ(Events(third), (std::vector<std::pair<int, int>>(149, {440, 65535})));
  const SlotContents fourth = ReadSlot(set.BlockImage(), 3);
  EXPECT_EQ(fourth.state, SlotState::Melody);
  EXPECT_TRUE(fourth.events.empty());
}

TEST_F(MelodyTest, ASlotThatIsNoMelodysIsMalformedWithoutEvents) {
  set.DecodeToBuffer(0, "C2(1/4)");
  memcpy(set.BlockImage() + 1204, set.BlockImage() + 1806, 9);  // melody 1's slot where melody 2's belongs
  memset(set.BlockImage() + 602, 0x11, kSlotSize);              // melody 3: a header, then no end mark
  set.BlockImage()[602] = 0x16;
  set.BlockImage()[603] = 0x00;

  const SlotContents wrongHeader = ReadSlot(set.BlockImage(), 1);
  EXPECT_EQ(wrongHeader.state, SlotState::Malformed);
  EXPECT_EQ(wrongHeader.error, "its slot begins with 0x0014 where a melody 2 begins with 0x0015 (or 0xFF when empty)");
  const SlotContents unterminated = ReadSlot(set.BlockImage(), 2);
  EXPECT_EQ(unterminated.state, SlotState::Malformed);
  EXPECT_EQ(unterminated.error, "its slot has no end mark (FC FF 01) after 150 notes");
  EXPECT_TRUE(unterminated.events.empty());
}

}  // namespace
