#include "tests/melody/MelodyTestSupport.h"

TEST_F(MelodyTest, SlotsRunInReverseMelodyOrderAndKeepWhatEarlierEncodingsLeft) {
  for (int k = 1; k < kMelodyCount; ++k) set.DecodeToBuffer(k, "C2(1/4)");
  EXPECT_EQ(ImageHex(1204, 9), "15 00 0A 02 F0 01 FC FF 01");
  EXPECT_EQ(ImageHex(602, 9), "16 00 0A 02 F0 01 FC FF 01");
  EXPECT_EQ(ImageHex(0, 9), "17 00 0A 02 F0 01 FC FF 01");

  Encode("C2(1/4) D2(1/8) E2(1/2)");
  Encode("P(1/1)");
  EXPECT_EQ(ImageHex(1806, 17), "14 00 FF FF C0 07 FC FF 01 00 92 02 E0 03 FC FF 01");
  EXPECT_EQ(set.DecodeToBuffer(0, ""), 2);
  EXPECT_EQ(ImageHex(1806, 9), "FF 00 FF FF C0 07 FC FF 01");
}

// Stray indexes write nowhere.
TEST_F(MelodyTest, StrayIndexesChangeNothing) {
  sys::SetLastError(0);
  EXPECT_EQ(set.DecodeToBuffer(4, "C2(1/4)"), -1);
  EXPECT_EQ(set.DecodeToBuffer(-1, "C2(1/4)"), -1);
  EXPECT_TRUE(AllBytes(set.BlockImage(), kBlockImageSize, 0));
  EXPECT_EQ(LogLines(), "14:05:09 DecodeToBuffer(4),error code: 0\r\n14:05:09 DecodeToBuffer(-1),error code: 0\r\n");
}

TEST_F(MelodyTest, MelodiesAreCutAtTheSlotsHundredFortyNineNotes) {
  std::string notes;
  for (int i = 0; i < 149; ++i) notes += "C2(1/4) ";
  memset(set.BlockImage(), 0xAB, kBlockImageSize);
  const std::string full = Encode(notes, 128, 3);  // melody 4: the first slot
  EXPECT_EQ(full.size(), 601u * 3 - 1);            // header, 149 events, terminator
  EXPECT_EQ(ImageHex(598, 4), "FC FF 01 AB");      // the slot's last byte is left alone
  EXPECT_EQ(LogLines(), "");

  sys::SetLastError(0);
  EXPECT_EQ(Encode(notes + "D2(1/8) X9(1/4) " + notes, 128, 3), full);  // nothing after the cut is read
  EXPECT_TRUE(AllBytes(set.BlockImage() + 601, kBlockImageSize - 601, 0xAB));
  EXPECT_EQ(LogLines(),
            "14:05:09 DecodeToBuffer(3), more than 149 notes: cut before position 1192,error code: 0\r\n");
}
