#include "tests/cli/CliTestSupport.h"

using namespace cli_testing;

TEST(ProjectCommand, WritesWhatTheProgramsSaveWritesAndBadArgumentsWriteNothing) {
  ScopedWorkDir dir;
  const std::string text = "C2(1/4)\r\n D2(1/8)\tE2(1/8)\n\xE0\xFF";
  WriteFile("melody.txt", text);
  Ok({"project", "p.bmt", "--melody", "3", "E2(1/8) P(1/4)", "--tempo", "4", "300", "--melody", "2", "@melody.txt",
      "--melody", "1", "C2(1/4)", "--tempo", "1", "0"});
  EXPECT_EQ(ReadFile("p.bmt"), ProjectBytes({{"C2(1/4)", 0}, {text}, {"E2(1/8) P(1/4)"}, {"", 300}}));

  WriteFile("zero.txt", std::string("C2(1/4)\0D2(1/4)", 15));
  WriteFile("old.bmt", "old");
  ExpectFailure({"project", "old.bmt", "--melody", "5", "C2(1/4)"}, 2, "melody number must be 1, 2, 3 or 4, not '5'");
  for (std::string tempo : {"65536", "-1", "12a"})
    ExpectFailure({"project", "old.bmt", "--tempo", "1", tempo}, 2, "from 0 to 65535, not '" + tempo + "'");
  ExpectFailure({"project", "old.bmt", "--melody", "1", "C2(1/4)", "--melody", "1", "D2(1/4)"}, 2, "--melody 1 is given twice");
  ExpectFailure({"project", "old.bmt", "--melody", "1", std::string(2048, 'C')}, 1, "2048 bytes long; a melody holds at most 2047");
  ExpectFailure({"project", "old.bmt", "--melody", "1", "@zero.txt"}, 1, "zero byte");
  ExpectFailure({"project", "absent/p.bmt"}, 1, "cannot create 'absent/p.bmt'");
  Ok({"project", "old.bmt", "--melody", "1", std::string(2047, 'C')});
  EXPECT_EQ(ReadFile("old.bmt").size(), 16u + 2047u);
}

TEST(ShowCommand, PrintsEachMelodyWithItsTempoAndLines) {
  ScopedWorkDir dir;
  WriteProject("p.bmt", {{"C2(1/4)\r\n D2(1/8)", 90}, {""}, {"E2(1/4)\x01\tF2(1/4)", 65535}});
  EXPECT_EQ(Ok({"show", "p.bmt"}).out,
            "Melody 1, tempo 90:\n    C2(1/4)\n     D2(1/8)\n"
            "Melody 2, tempo 128: empty\n"
            "Melody 3, tempo 65535:\n    E2(1/4)\\x01\tF2(1/4)\n"
            "Melody 4, tempo 128: empty\n");
}

// The command and the program's loader take the same files; what is no
// project at all is refused with what is wrong with it.
TEST(ProjectFiles, TheCommandAndTheLoaderTakeTheSameFiles) {
  ScopedWorkDir dir;
  const std::string good = Record("C2(1/4)", 90) + Record("") + Record("D2(1/8)\r\n E2(1/4)", 0) + Record("P(1/4)");
  const std::string empty = Record(""), longest(kMaxMelodyTextLength, 'C');
  const std::string one = Record("C2(1/4)") + empty + empty + empty;
  // fits: every text fits a melody, what the loader and "encode" take;
  // problem: why it is no project at all, "" when "show" takes it.
  struct Case { const char* name; std::string bytes; bool fits; std::string problem; };
  const Case cases[] = {
      {"a project", good, true, ""},
      {"texts of 2047 bytes", Record(longest) + Record(longest) + Record(longest) + Record(longest), true, ""},
      {"a text of 2048 bytes", Record(longest + "C") + empty + empty + empty, false, ""},
      {"an empty file", "", false, "it ends inside melody 1's record (0 bytes)"},
      {"cut in a tempo", one.substr(0, one.size() - 1), false, "it ends inside melody 4's record (22 bytes)"},
      {"one byte too many", good + "\x80", false, "1 byte follows its four records"},
      {"a length running past the end", "\xFF\xFF" + good, false, "melody 1's text of 65535 bytes runs past its end"},
      {"a block file", EncodedBlock({{"C2(1/4) D2(1/8)"}, {"E2(1/2)"}}), false, "melody 1's text holds a zero byte"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile("p.bmt", c.bytes);
    MelodySet set;
    EXPECT_EQ(set.LoadProject("p.bmt"), c.fits ? 1 : -1);
    RunResult show = Quavrel({"show", "p.bmt"});
    EXPECT_EQ(show.code, c.problem.empty() ? 0 : 1);
    EXPECT_TRUE(Contains(show.err, c.problem.empty() ? "" : "'p.bmt' is not a project file: " + c.problem)) << show.err;
    EXPECT_EQ(Quavrel({"encode", "p.bmt", "-o", "p.bin"}).code, c.fits ? 0 : 1);
  }
}

// The bundled project is built from the note texts beside it; it must not
// drift from them. Every example must encode without a single problem.
TEST(Examples, MatchTheirSourcesAndAreClean) {
  ScopedWorkDir dir;
  const std::string examples = std::string(QUAVREL_EXAMPLES_DIR) + "/";
  Ok({"project", "demo.bmt", "--melody", "1", "@" + examples + "demo-1-morning-bell.txt", "--tempo", "1", "128",
      "--melody", "2", "@" + examples + "demo-2-quiet-steps.txt", "--tempo", "2", "100",
      "--melody", "3", "@" + examples + "demo-3-two-tone-alarm.txt", "--tempo", "3", "200",
      "--melody", "4", "@" + examples + "demo-4-little-march.txt", "--tempo", "4", "128"});
  EXPECT_EQ(ReadFile("demo.bmt"), ReadFile(examples + "demo.bmt"));
  EXPECT_EQ(Quavrel({"check", "demo.bmt"}).out, "demo.bmt: no problems\n");
  for (const char* name : {"ode-to-joy.rtttl", "frere-jacques.rtttl"}) {
    Ok({"import-rtttl", examples + name, "-o", "tune.bmt"});
    EXPECT_EQ(Quavrel({"check", "tune.bmt"}).out, "tune.bmt: no problems\n") << name;
  }
}
