#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "base/TextString.h"

namespace {

TEST(TextString, EmptyIsOneZeroByteAndChangesResizeEvenFromItsOwnBuffer) {
  TextString s;
  EXPECT_STREQ(s.Text(), "");
  s.Assign("abc").Append("def");
  EXPECT_STREQ(s.Text(), "abcdef");
  s.Assign(nullptr);
  EXPECT_STREQ(s.Text(), "");
  // From its own buffer too.
  s.Assign("hello");
  s.Append(s.Text());
  EXPECT_STREQ(s.Text(), "hellohello");
  s.Assign(s.Text() + 5);
  EXPECT_STREQ(s.Text(), "hello");
  TextString copy(s);
  copy = copy;
  EXPECT_STREQ(copy.Text(), "hello");
}

TEST(TextString, SearchesAndSubstrings) {
  TextString s("a.bin.d\\song.bin");
  EXPECT_EQ(s.Find(".bin"), 1);
  EXPECT_EQ(s.Find(".bin", 2), 12);
  EXPECT_EQ(s.Find(".bin", 100), -1);  // beyond the length
  EXPECT_EQ(s.Find(".bin", -1), -1);
  EXPECT_EQ(s.Find(".BIN"), -1);  // case-sensitive
  EXPECT_EQ(TextString("aaaa").FindLast("aa"), 2);  // overlapping hits count

  TextString digits("0123456789");
  // A start before the text counts from 0; a count of 0 or less, or past
  // the end, takes the rest.
  const std::tuple<int, int, const char*> cuts[] = {{2, 3, "234"}, {-4, 2, "01"}, {7, 0, "789"},
                                                    {7, -1, "789"}, {7, 50, "789"}, {20, 2, ""}};
  for (const auto& [from, count, expected] : cuts) EXPECT_STREQ(digits.Substring(from, count).Text(), expected) << from;
  EXPECT_EQ(TextString(std::string(3000, 'q').c_str()).Substring(0, 0).Length(), 1023);
}

TEST(TextString, OverwriteNeverGrows) {
  TextString s("song.bin");
  s.Overwrite(s.FindLast(".bin"), ".bid");
  EXPECT_STREQ(s.Text(), "song.bid");
  s.Overwrite(6, "xyz");
  s.Overwrite(-1, "Z");
  s.Overwrite(8, "Z");
  EXPECT_STREQ(s.Text(), "song.bxy");
  EXPECT_EQ(s.Length(), 8);
}

TEST(TextString, LoadFromIdGivesTableTextsAndEmptyForUnknown) {
  TextString s;
  EXPECT_STREQ(s.LoadFromId(122).Text(), "Power Off");
  EXPECT_EQ(s.LoadFromId(2000).Length(), 0);
  EXPECT_EQ(s.LoadFromId(103).Length(), 58);  // code page 1251 natively too
}

}  // namespace
