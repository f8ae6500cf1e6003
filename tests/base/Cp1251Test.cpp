#include <gtest/gtest.h>

#include "base/Cp1251.h"

TEST(Cp1251, CyrillicRoundTripsAndUnknownBecomesQuestionMark) {
  const std::string utf8 = "Ошибка: СОМ №1 ёЁ";
  const std::string cp = Utf8ToCp1251(utf8);
  EXPECT_EQ(cp, "\xCE\xF8\xE8\xE1\xEA\xE0: \xD1\xCE\xCC \xB9" "1 \xB8\xA8");
  EXPECT_EQ(Cp1251ToUtf8(cp), utf8);
  EXPECT_EQ(Utf8ToCp1251("\xE2\x98\x83"), "?");  // a snowman has no byte
  EXPECT_EQ(Utf8ToCp1251("\xD0"), "?");          // a cut sequence
}
