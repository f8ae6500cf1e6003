// The phone buttons end to end: Quavrel.exe with COM1 wired to the
// simulated phone on a pseudo-terminal. phone_tests.sh runs these tests
// against a working phone and one that always refuses one chunk, naming it
// in QUAVREL_PHONE_SIM; each test needs one of them and is skipped
// otherwise. The job lock and the failures' log lines are the phone jobs'
// own tests' business. The driver ends a program that a test leaves running.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <future>
#include <string>
#include <vector>

#include "melody/MelodySet.h"
#include "tests/support/TestSupport.h"
#include "tests/ui/ProgramDriver.h"
#include "texts/ControlIds.h"

using testing_support::ReadFile;
using testing_support::ScopedWorkDir;

namespace {

const std::string kConnecting = "Идет подключение к телефону...";
const std::string kWriting = "Запись мелодий...";
const std::string kWritten = "Мелодии записаны. Нажмите Power Off.";
const std::string kWriteFailed = "Сбой в записи, попробуйте еще разок;-(";
const std::string kSilent = "Мобила не отвечает!";
const std::string kSwitchingOff = "Мобила выключается...Когда выключится, жмите кнопку Power On.";
const std::string kSwitchOffFailed = "Ошибка выключения, попробуйте ещё разок;-(";
const std::string kPressPowerKey = "Жмите кнопку ВЫКЛ. на мобиле. Для ее включения. Да по чаще;-)";
const std::string kSwitchingOn = "Мобила включается...";
const std::string kSwitchOnFailed = "Неудалось включить мобилу в автоматическом режиме, попробуйте сами.";
const std::string kReadAgain = "-=Read=-";
// With the Cyrillic capitals Es, O and Em, not the Latin letters.
const std::string kOpenFailed = "Error open: \xD0\xA1\xD0\x9E\xD0\x9C" "2";
const std::vector<std::string> kUploadEnds = {kWritten, kWriteFailed, kSilent, kOpenFailed};

// Each test needs the simulated phone that phone_tests.sh names, most the
// program started in a folder of its own.
#define REQUIRE_PHONE(kind) \
  if (std::string(getenv("QUAVREL_PHONE_SIM") ?: "") != (kind)) GTEST_SKIP() << "needs the simulated phone " << (kind)
#define START_WITH_PHONE(kind)                 \
  REQUIRE_PHONE(kind);                         \
  ScopedWorkDir dir;                           \
  ProgramDriver program(dir.Path().string()); \
  ASSERT_TRUE(program.Started())

// What the status line showed until one of ends (other than the text it
// had before), with the three phone buttons enabled as every job ends, and
// whether they were seen disabled together.
struct StatusWatch { std::vector<std::string> texts; bool buttonsDisabled = false; };

StatusWatch Watch(ProgramDriver& program, const std::vector<std::string>& ends, const std::string& before) {
  StatusWatch watch;
  for (DWORD start = GetTickCount(); GetTickCount() - start < 120000; Sleep(2)) {
    const std::string text = program.Text(IDC_STATUS);
    if (watch.texts.empty() || watch.texts.back() != text) watch.texts.push_back(text);
    // Read after the text: a job enables them after its last text.
    const int enabled = program.Enabled(IDC_COM) + program.Enabled(IDC_START) + program.Enabled(IDC_POWER);
    if (enabled == 0) watch.buttonsDisabled = true;
    if (enabled == 3 && std::count(ends.begin(), ends.end(), text) > 0 && (watch.texts.size() > 1 || text != before))
      break;
  }
  return watch;
}

// Presses a button until its command shows a text, and watches the status
// line until one of ends. A press while the last job is still finishing is
// refused and changes nothing; the power commands hold the dialog until
// they end, so the watch runs beside the press.
StatusWatch Press(ProgramDriver& program, int id, const std::vector<std::string>& ends) {
  const std::string before = program.Text(IDC_STATUS);
  auto watch = std::async(std::launch::async, [&] { return Watch(program, ends, before); });
  for (int press = 0; press < 50; ++press) {
    program.Click(id);
    if (WaitFor([&] { return program.Text(IDC_STATUS) != before; }, 200)) break;
  }
  return watch.get();
}

// Watches from a thread of its own for text to come up on the status line,
// and tells whether it was painted while it stood there: the line's pixels
// then differ from what they were when the watch began. (A text can be set
// and never painted, when the window's thread is kept busy.)
std::future<bool> PaintWatch(ProgramDriver& program, const std::string& text) {
  return std::async(std::launch::async, [&program, text, before = program.ScreenPixels(IDC_STATUS)] {
    bool painted = false;
    if (WaitFor([&] { return program.Text(IDC_STATUS) == text; }, 120000))
      WaitFor([&] { return program.Text(IDC_STATUS) != text || (painted = program.ScreenPixels(IDC_STATUS) != before); },
              10000);
    return painted;
  });
}

// Whether seen shows want's texts in this order and ends with the last.
testing::AssertionResult ShowsInOrder(const std::vector<std::string>& seen, const std::vector<std::string>& want) {
  size_t at = 0;
  for (const std::string& text : seen)
    if (at < want.size() && text == want[at]) ++at;
  if (at == want.size() && seen.back() == want.back()) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "shown: " << testing::PrintToString(seen);
}

}  // namespace

TEST(PhoneButtons, StartWritesWhatIsOnScreenAndNeedsAPort) {
  START_WITH_PHONE("working");
  const char* melody = "C2(1/4) D2(1/8) E2(1/8) P(1/4) G2(1/2)";
  program.SetText(IDC_MELODY_TEXT, melody);
  program.SetText(IDC_TEMPO, "150");
  program.Click(IDC_MELODY2);
  // Melody 2 typed and not yet switched away from: Start takes it as shown.
  program.SetText(IDC_MELODY_TEXT, "A1(1/4)");
  MelodySet expected;
  strcpy(expected.MelodyText(0), melody);
  expected.MelodyTempo(0) = 150;
  strcpy(expected.MelodyText(1), "A1(1/4)");
  expected.EncodeAll();
  const std::string image(reinterpret_cast<const char*>(expected.BlockImage()), kBlockImageSize);
  const std::string eeprom = std::string("Z:") + getenv("QUAVREL_PHONE_EEPROM");  // Wine takes either slash

  StatusWatch watch = Press(program, IDC_START, kUploadEnds);
  EXPECT_TRUE(ShowsInOrder(watch.texts, {kConnecting, kWriting, kWritten}));
  EXPECT_TRUE(watch.buttonsDisabled);
  EXPECT_TRUE(WaitFor([&] { return ReadFile(eeprom) == image; }));

  program.Click(IDC_COM);  // COM2: never opens
  watch = Press(program, IDC_START, kUploadEnds);
  EXPECT_EQ(kOpenFailed, watch.texts.back());
  EXPECT_FALSE(watch.buttonsDisabled);
  // Power off on that port fails and says so for 4 seconds, on screen
  // while the dialog waits.
  auto failed = PaintWatch(program, kSwitchOffFailed);
  watch = Press(program, IDC_POWER, {kReadAgain});
  EXPECT_TRUE(ShowsInOrder(watch.texts, {kSwitchOffFailed, kReadAgain}));
  EXPECT_TRUE(failed.get());
  EXPECT_EQ("Power Off", program.Text(IDC_POWER));
}

TEST(PhoneButtons, ClosingDuringAnUploadEndsCleanly) {
  REQUIRE_PHONE("working");
  ScopedWorkDir dir;
  // While connecting, from the Exit button (1); while writing, from the caption (0).
  for (const std::string* phase : {&kConnecting, &kWriting}) {
    ProgramDriver program(dir.Path().string());
    ASSERT_TRUE(program.Started());
    program.Click(IDC_START);
    ASSERT_TRUE(WaitFor([&] { return program.Text(IDC_STATUS) == *phase; }, 60000))
        << *phase << ": " << program.Text(IDC_STATUS);
    if (phase == &kConnecting) program.ClickLater(IDCANCEL);
    else PostMessageA(program.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(phase == &kConnecting ? 1u : 0u, program.WaitForExit(60000));
  }
  EXPECT_EQ(std::string::npos, ReadFile(dir.Path() / "Error.log").find("Time of exception"));
}

TEST(PhoneButtons, RefusedChunkThenSwitchedOffSilentAndOnAgain) {
  START_WITH_PHONE("refusing");
  StatusWatch watch = Press(program, IDC_START, kUploadEnds);
  EXPECT_TRUE(ShowsInOrder(watch.texts, {kConnecting, kWriting, kWriteFailed}));
  EXPECT_TRUE(watch.buttonsDisabled);

  watch = Press(program, IDC_POWER, {kSwitchingOff, kReadAgain});
  EXPECT_EQ(kSwitchingOff, watch.texts.back());
  EXPECT_EQ("Power On", program.Text(IDC_POWER));
  // Switched off, the phone answers nothing.
  watch = Press(program, IDC_START, kUploadEnds);
  EXPECT_TRUE(ShowsInOrder(watch.texts, {kConnecting, kSilent}));
  EXPECT_FALSE(watch.buttonsDisabled);

  auto pressKey = PaintWatch(program, kPressPowerKey), switchingOn = PaintWatch(program, kSwitchingOn);
  watch = Press(program, IDC_POWER, {kReadAgain, kSwitchOnFailed});
  EXPECT_TRUE(ShowsInOrder(watch.texts, {kPressPowerKey, kSwitchingOn, kReadAgain}));
  EXPECT_TRUE(pressKey.get());
  EXPECT_TRUE(switchingOn.get());
  EXPECT_EQ("Power Off", program.Text(IDC_POWER));
}
