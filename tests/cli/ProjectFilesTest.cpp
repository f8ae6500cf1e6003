// The command and the program's loader take the same files.
#include "tests/cli/CliTestSupport.h"

using namespace cli_testing;

namespace {

std::string Word(unsigned value) { return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)}; }
std::string Record(const std::string& text, unsigned tempo = 128) { return Word(static_cast<unsigned>(text.size())) + text + Word(tempo); }

TEST(ProjectFiles, TheCommandAndTheLoaderTakeTheSameFiles) {
  ScopedWorkDir dir;
  const std::string good = Record("C2(1/4)", 90) + Record("") + Record("D2(1/8)\r\n E2(1/4)", 0) + Record("P(1/4)");
  const std::string longest(kMaxMelodyTextLength, 'C');
  struct Case {
    const char* name;
    std::string bytes;
    bool whole;  // a project at all: what "show" takes
    bool fits;   // and every text fits a melody: what the loader and "encode" take
  };
  const Case cases[] = {
      {"a project", good, true, true},
      {"four empty melodies", Record("") + Record("") + Record("") + Record(""), true, true},
      {"texts of 2047 bytes", Record(longest) + Record(longest) + Record(longest) + Record(longest), true, true},
      {"a text of 2048 bytes", Record(longest + "C") + Record("") + Record("") + Record(""), true, false},
      {"a text of 65535 bytes", Record(std::string(65535, 'C')) + Record("") + Record("") + Record(""), true, false},
      {"an empty file", "", false, false},
      {"cut short", good.substr(0, good.size() - 3), false, false},
      {"one byte too many", good + "\x80", false, false},
      {"a length running past the end", Word(0xFFFF) + good, false, false},
      {"a zero byte in a text", Record(std::string("C2(1/4)\0", 8)) + Record("") + Record("") + Record(""), false, false},
      {"a block file", EncodedBlock({{"C2(1/4) D2(1/8)"}, {"E2(1/2)"}}), false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile("p.bmt", c.bytes);
    MelodySet set;
    EXPECT_EQ(set.LoadProject("p.bmt"), c.fits ? 1 : -1);
    EXPECT_EQ(Quavrel({"show", "p.bmt"}).code, c.whole ? 0 : 1);
    EXPECT_EQ(Quavrel({"encode", "p.bmt", "-o", "p.bin"}).code, c.fits ? 0 : 1);
  }
}

}  // namespace
