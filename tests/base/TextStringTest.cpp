#include <gtest/gtest.h>

#include <string>

#include "base/TextString.h"

namespace {

TEST(TextString, EmptyIsOneZeroByteAndChangesResize) {
  TextString s;
  ASSERT_NE(s.Text(), nullptr);
  EXPECT_EQ(s.Length(), 0);
  EXPECT_STREQ(s.Text(), "");
  s.Assign("abc").Append("def");
  EXPECT_STREQ(s.Text(), "abcdef");
  EXPECT_EQ(s.Length(), 6);
  s.Assign(nullptr);
  EXPECT_STREQ(s.Text(), "");
  s.Assign("x");
  s.Release();
  EXPECT_EQ(s.Length(), 0);
  EXPECT_STREQ(s.Text(), "");
}

TEST(TextString, AssignAndAppendFromItsOwnBuffer) {
  TextString s("hello");
  s.Append(s.Text());
  EXPECT_STREQ(s.Text(), "hellohello");
  s.Assign(s.Text() + 5);
  EXPECT_STREQ(s.Text(), "hello");
  TextString copy(s);
  copy = copy;
  EXPECT_STREQ(copy.Text(), "hello");
}

TEST(TextString, Searches) {
  TextString s("a.bin.d\\song.bin");
  EXPECT_EQ(s.Find(".bin"), 1);
  EXPECT_EQ(s.Find(".bin", 2), 12);
  EXPECT_EQ(s.Find(".bin", 13), -1);
  EXPECT_EQ(s.Find(".bin", 100), -1);  // beyond the length
  EXPECT_EQ(s.Find(".bin", -1), -1);
  EXPECT_EQ(s.Find(".BIN"), -1);       // case-sensitive
  EXPECT_EQ(s.FindLast(".bin"), 12);
  EXPECT_EQ(s.FindLast(".bmt"), -1);
  EXPECT_EQ(TextString("aaaa").FindLast("aa"), 2);  // overlapping hits count
}

TEST(TextString, Substring) {
  TextString s("0123456789");
  EXPECT_STREQ(s.Substring(2, 3).Text(), "234");
  EXPECT_STREQ(s.Substring(-4, 2).Text(), "01");
  EXPECT_STREQ(s.Substring(7, 0).Text(), "789");
  EXPECT_STREQ(s.Substring(7, -1).Text(), "789");
  EXPECT_STREQ(s.Substring(7, 50).Text(), "789");
  EXPECT_STREQ(s.Substring(20, 2).Text(), "");
  TextString big(std::string(3000, 'q').c_str());
  EXPECT_EQ(big.Substring(0, 0).Length(), 1023);
}

TEST(TextString, OverwriteNeverGrows) {
  TextString s("song.bin");
  s.Overwrite(s.FindLast(".bin"), ".bid");
  EXPECT_STREQ(s.Text(), "song.bid");
  s.Overwrite(6, "xyz");
  EXPECT_STREQ(s.Text(), "song.bxy");
  EXPECT_EQ(s.Length(), 8);
  s.Overwrite(-1, "Z");
  s.Overwrite(8, "Z");
  s.Overwrite(0, "");
  EXPECT_STREQ(s.Text(), "song.bxy");
}

TEST(TextString, LoadFromIdGivesTableTextsAndEmptyForUnknown) {
  TextString s;
  EXPECT_STREQ(s.LoadFromId(122).Text(), "Power Off");
  EXPECT_STREQ(s.LoadFromId(121).Text(), "-=Read=-");
  EXPECT_EQ(s.LoadFromId(2000).Length(), 0);
  EXPECT_EQ(s.LoadFromId(103).Length(), 58);
}

}  // namespace
