#include "melody/SlotReader.h"

#include "tests/melody/MelodyTestSupport.h"

namespace {

using Events = std::vector<std::pair<int, int>>;

Events EventsOf(const SlotContents& slot) {
  Events events;
  for (const NoteEvent& event : slot.events) events.push_back({event.toneCode, event.duration});
  return events;
}

TEST_F(MelodyTest, EachSlotReadsBackAsTheEventsTheEncoderWrote) {
  std::string full;
  for (int i = 0; i < 150; ++i) full += "A1(1/1) ";  // one more than the slot holds
  set.MelodyTempo(2) = 1;
  const std::string texts[] = {"C2(1/4) X9(1/8) P(1/1)", "", full, "C2 D2"};
  const Events events[] = {{{522, 496}, {0xFFFF, 31}, {0xFFFF, 1984}}, {}, Events(149, {440, 65535}), {}};
  for (int k = 0; k < kMelodyCount; ++k) set.DecodeToBuffer(k, texts[k].c_str());
  for (int k = 0; k < kMelodyCount; ++k) {
    const SlotContents slot = ReadSlot(set.BlockImage(), k);
    EXPECT_EQ(slot.state, k == 1 ? SlotState::Empty : SlotState::Melody) << k;
    EXPECT_EQ(EventsOf(slot), events[k]) << k;
  }
}

TEST_F(MelodyTest, ASlotThatIsNoMelodysIsMalformedWithoutEvents) {
  set.DecodeToBuffer(0, "C2(1/4)");
  memcpy(set.BlockImage() + 1204, set.BlockImage() + 1806, 9);  // melody 1's slot where melody 2's belongs
  memset(set.BlockImage() + 602, 0x11, kSlotSize);              // melody 3: a header, then no end mark
  set.BlockImage()[602] = 0x16;
  set.BlockImage()[603] = 0x00;
  const char* const errors[] = {"its slot begins with 0x0014 where a melody 2 begins with 0x0015 (or 0xFF when empty)",
                                "its slot has no end mark (FC FF 01) after 150 notes"};
  for (int k = 1; k <= 2; ++k) {
    const SlotContents slot = ReadSlot(set.BlockImage(), k);
    EXPECT_EQ(slot.state, SlotState::Malformed);
    EXPECT_EQ(slot.error, errors[k - 1]);
    EXPECT_TRUE(slot.events.empty());
  }
}

}  // namespace
