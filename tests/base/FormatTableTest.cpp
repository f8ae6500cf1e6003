// One table of formatting cases that the platform's formatter must pass: our
// own formatter natively, wvsprintfA when the tests run under Wine.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstring>
#include <random>
#include <string>
#include <tuple>

#include "sys/posix/Wsprintf.h"
#include "sys/Format.h"

namespace {

struct Result { int value; std::string text; };

using Formatter = int (*)(char*, const char*, va_list);

Result Call(Formatter formatter, const char* format, ...) {
  char buffer[1024];
  memset(buffer, '#', sizeof buffer);
  va_list args;
  va_start(args, format);
  int value = formatter(buffer, format, args);
  va_end(args);
  return {value, buffer};
}

template <typename... Args>
Result Platform(const char* format, Args... args) {
  return Call(sys::FormatV, format, args...);
}

TEST(FormatTable, ConversionsTextsAndPercent) {
  const std::tuple<const char*, int, const char*> numbers[] = {
      {"%d", -5, "-5"}, {"%d", 2147483647, "2147483647"}, {"%d", -2147483647 - 1, "-2147483648"},
      {"%0.2d", 0, "00"}, {"%0.2d", 123, "123"}, {"%0.2d", -5, "-5"},  // the sign takes a digit's place
      {"%0.4d", -5, "-005"}, {"%0.8X", static_cast<int>(0xdeadbeef), "DEADBEEF"}, {"%x", 255, "ff"},
      {"%u", -1, "4294967295"}, {"%5d", 3, "    3"}, {"%-5d|", 3, "3    |"}, {"%05d", -3, "-0003"},
      {"%#x", 255, "0xff"}, {"%ld", 5, "5"}, {"%q", 5, "q"},  // an unknown conversion prints its letter
  };
  for (const auto& [format, value, expected] : numbers) {
    Result r = Platform(format, value);
    EXPECT_EQ(r.text, expected) << format << " of " << value;
    EXPECT_EQ(r.value, static_cast<int>(strlen(expected))) << format;
  }
  EXPECT_EQ(Platform("%s", static_cast<const char*>(nullptr)).text, "(null)");
  EXPECT_EQ(Platform("%.3s", "abcdef").text, "abc");
  EXPECT_EQ(Platform("a%%b").text, "a%b");
  EXPECT_EQ(Platform("x%").text, "x");  // a lone % at the end gives nothing
  EXPECT_EQ(Platform("%0.2d:%0.2d:%0.2d %s\r\n", 1, 2, 3, "msg").text, "01:02:03 msg\r\n");
  EXPECT_EQ(Platform("Error open: \xD1\xCE\xCC%d", 2).text, "Error open: \xD1\xCE\xCC" "2");
}

TEST(FormatTable, CutsAt1023AndReports1024) {
  const std::string a1022(1022, 'a'), a1023(1023, 'a');
  Result exact = Platform("%s", a1023.c_str());
  EXPECT_EQ(exact.text, a1023);
  EXPECT_EQ(exact.value, 1024);  // a full buffer reads as 1024 even when it fits
  EXPECT_EQ(Platform("%s", a1022.c_str()).value, 1022);
  Result cut = Platform("xx%s", std::string(2000, 'a').c_str());
  EXPECT_EQ(cut.text, "xx" + a1022.substr(1));
  EXPECT_EQ(cut.value, 1024);
  // A conversion that crosses the limit keeps its leading characters.
  EXPECT_EQ(Platform("%s%0.4d", a1022.c_str(), -12345).text, a1022 + "-");
}

// Under Wine this compares our formatter with wvsprintfA itself on many
// generated cases; natively both sides are ours and it checks determinism.
TEST(FormatTable, OursMatchesThePlatformOnGeneratedCases) {
  const char* const kFormats[] = {"%d",  "%0.2d", "%0.4d", "%0.2X", "%0.4X", "%0.8X", "%u",  "%x",  "%5d",  "%-4X",
                                  "%03d", "%.6d", "%s",    "%7s",   "%-6s",  "%.2s",  "%05s", "%c", "%3c", "%-3c"};
  std::mt19937 random(2026);
  for (int i = 0; i < 3000; ++i) {
    const std::string conversion = kFormats[random() % (sizeof kFormats / sizeof *kFormats)];
    int value = static_cast<int>(random());
    if (i % 3 == 0) value %= 1000;
    const std::string text(random() % 12, 't');
    const std::string prefix(random() % 4 == 0 ? 1015 + random() % 9 : random() % 5, 'p');
    const std::string format = "%s" + conversion + "<%s>";
    const bool isText = conversion.find('s') != std::string::npos;
    Result results[2];
    for (int side = 0; side < 2; ++side) {
      Formatter formatter = side ? WsprintfV : sys::FormatV;
      results[side] = isText ? Call(formatter, format.c_str(), prefix.c_str(), text.c_str(), "t")
                             : Call(formatter, format.c_str(), prefix.c_str(), value, "t");
    }
    ASSERT_EQ(results[1].text, results[0].text) << format << " " << value << " prefix " << prefix.size();
    ASSERT_EQ(results[1].value, results[0].value) << format << " " << value;
  }
}

}  // namespace
