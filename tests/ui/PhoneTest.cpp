// The phone buttons end to end: Quavrel.exe with COM1 wired to the
// simulated phone on a pseudo-terminal. phone_tests.sh starts the phone for
// each group (a working one, a silent one, one that refuses a chunk) and
// names it in QUAVREL_PHONE_SIM; without it these tests are skipped.
// The program is left to end by the driver where a job would keep it busy.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "melody/MelodySet.h"
#include "tests/support/TestSupport.h"
#include "tests/ui/ProgramDriver.h"
#include "ui/ControlIds.h"

using testing_support::ReadFile;
using testing_support::ScopedWorkDir;

namespace {

const std::string kConnecting = "Идет подключение к телефону...";
const std::string kConnected = "Подкючение установлено...";
const std::string kWriting = "Запись мелодий...";
const std::string kWritten = "Мелодии записаны. Нажмите Power Off.";
const std::string kWriteFailed = "Сбой в записи, попробуйте еще разок;-(";
const std::string kSilent = "Мобила не отвечает!";
const std::string kSwitchingOff = "Мобила выключается...Когда выключится, жмите кнопку Power On.";
const std::string kSwitchOffFailed = "Ошибка выключения, попробуйте ещё разок;-(";
const std::string kPressPowerKey = "Жмите кнопку ВЫКЛ. на мобиле. Для ее включения. Да по чаще;-)";
const std::string kSwitchingOn = "Мобила включается...";
const std::string kSwitchOnFailed =
    "Неудалось включить мобилу в автоматическом режиме, попробуйте сами.";
const std::string kReadAgain = "-=Read=-";

// The simulated phone's kind and its EEPROM file, from the environment.
std::string PhoneKind() {
  const char* kind = getenv("QUAVREL_PHONE_SIM");
  return kind ? kind : "";
}

std::string EepromPath() {
  const char* path = getenv("QUAVREL_PHONE_EEPROM");
  if (!path) return "";
  std::string windows = std::string("Z:") + path;
  std::replace(windows.begin(), windows.end(), '/', '\\');
  return windows;
}

#define REQUIRE_PHONE(kind)                                                      \
  if (PhoneKind() != (kind)) GTEST_SKIP() << "needs the simulated phone \"" << (kind) \
                                          << "\" (tests/ui/phone_tests.sh)"

bool IsFinalUploadText(const std::string& text) {
  return text == kWritten || text == kWriteFailed || text == kSilent ||
         text.find("Error open: ") == 0 ||
         text == "Мелодии не записаны, размеры блоков различны!";
}

// What the status line showed during one upload, and whether the three
// phone buttons were seen disabled together.
struct UploadWatch {
  std::vector<std::string> texts;
  bool buttonsDisabled = false;
};

UploadWatch WatchUpload(ProgramDriver& program) {
  UploadWatch watch;
  watch.texts = program.WatchText(IDC_STATUS, [&] {
    bool com = program.Enabled(IDC_COM), start = program.Enabled(IDC_START),
         power = program.Enabled(IDC_POWER);
    if (!com && !start && !power) watch.buttonsDisabled = true;
    std::string text = program.Text(IDC_STATUS);
    // Each job ends with its buttons enabled again.
    return IsFinalUploadText(text) && com && start && power;
  });
  return watch;
}

// True when every text of want appears in seen, in this order.
bool InOrder(const std::vector<std::string>& seen, const std::vector<std::string>& want) {
  size_t at = 0;
  for (const std::string& text : seen)
    if (at < want.size() && text == want[at]) ++at;
  return at == want.size();
}

std::string Joined(const std::vector<std::string>& texts) {
  std::string all;
  for (const std::string& text : texts) all += "[" + text + "] ";
  return all;
}

// Waits until the phone's saved EEPROM equals image.
bool EepromHolds(const std::string& image) {
  return WaitFor([&] { return ReadFile(EepromPath()) == image; }, 20000);
}

// Presses Start until the upload begins: a press while the last job is
// still finishing is refused.
bool StartUpload(ProgramDriver& program) {
  for (int press = 0; press < 50; ++press) {
    program.Click(IDC_START);
    if (WaitFor([&] { return program.Text(IDC_STATUS) == kConnecting; }, 200)) return true;
  }
  return false;
}

}  // namespace

TEST(PhoneButtons, StartWritesTheStoredMelodiesIntoThePhone) {
  REQUIRE_PHONE("working");
  ScopedWorkDir dir;
  ProgramDriver program(dir.Path().string());
  ASSERT_TRUE(program.Started());
  program.SetText(IDC_MELODY_TEXT, "C2(1/4) D2(1/8) E2(1/8) P(1/4) G2(1/2)");
  program.SetText(IDC_TEMPO, "150");
  program.Click(IDC_MELODY2);
  // Melody 2 stays on screen only: Start takes what the set holds.
  program.SetText(IDC_MELODY_TEXT, "A1(1/4)");

  MelodySet expected;
  strcpy(expected.MelodyText(0), "C2(1/4) D2(1/8) E2(1/8) P(1/4) G2(1/2)");
  expected.MelodyTempo(0) = 150;
  expected.EncodeAll();
  const std::string image(reinterpret_cast<const char*>(expected.BlockImage()), kBlockImageSize);

  program.Click(IDC_START);
  UploadWatch watch = WatchUpload(program);
  EXPECT_TRUE(InOrder(watch.texts, {kConnecting, kWriting, kWritten})) << Joined(watch.texts);
  EXPECT_EQ(kWritten, watch.texts.back());
  EXPECT_TRUE(watch.buttonsDisabled);
  EXPECT_TRUE(EepromHolds(image));

  // During the connection phase the power button is refused: the phone
  // stays on and no power text appears. (The first job may still be
  // finishing after its buttons came back: Start is refused until then.)
  ASSERT_TRUE(StartUpload(program));
  program.Click(IDC_POWER);
  EXPECT_EQ("Power Off", program.Text(IDC_POWER));
  watch = WatchUpload(program);
  EXPECT_EQ(kWritten, watch.texts.back()) << Joined(watch.texts);
  for (const std::string& text : watch.texts) {
    EXPECT_NE(kSwitchingOff, text);
    EXPECT_NE(kSwitchOffFailed, text);
  }
  EXPECT_EQ("Power Off", program.Text(IDC_POWER));
  program.Click(IDCANCEL);
  EXPECT_EQ(1u, program.WaitForExit());
}

TEST(PhoneButtons, PowerOffThenOnFollowsThePhone) {
  REQUIRE_PHONE("power");
  ScopedWorkDir dir;
  ProgramDriver program(dir.Path().string());
  ASSERT_TRUE(program.Started());
  program.ClickLater(IDC_POWER);
  std::vector<std::string> texts = program.WatchText(IDC_STATUS, [&] {
    std::string text = program.Text(IDC_STATUS);
    return text == kSwitchingOff || text == kReadAgain;
  });
  EXPECT_EQ(kSwitchingOff, texts.back()) << Joined(texts);
  EXPECT_TRUE(WaitFor([&] { return program.Text(IDC_POWER) == "Power On"; }));

  ASSERT_TRUE(program.Responsive());
  program.ClickLater(IDC_POWER);
  texts = program.WatchText(IDC_STATUS, [&] {
    std::string text = program.Text(IDC_STATUS);
    return text == kReadAgain || text == kSwitchOnFailed;
  });
  EXPECT_TRUE(InOrder(texts, {kPressPowerKey, kSwitchingOn, kReadAgain})) << Joined(texts);
  ASSERT_TRUE(program.Responsive());  // the command has ended
  EXPECT_EQ("Power Off", program.Text(IDC_POWER));
  // On again: the next press switches it off.
  program.ClickLater(IDC_POWER);
  EXPECT_TRUE(WaitFor([&] { return program.Text(IDC_STATUS) == kSwitchingOff; }, 60000))
      << program.Text(IDC_STATUS);
  ASSERT_TRUE(program.Responsive());
  program.Click(IDCANCEL);
  EXPECT_EQ(1u, program.WaitForExit());
}

TEST(PhoneButtons, FailedPowerOnLeavesThePhoneTakenAsOff) {
  REQUIRE_PHONE("key-released");
  ScopedWorkDir dir;
  ProgramDriver program(dir.Path().string());
  ASSERT_TRUE(program.Started());
  program.ClickLater(IDC_POWER);
  // The caption changes just before the status text: wait for both.
  ASSERT_TRUE(WaitFor([&] {
    return program.Text(IDC_POWER) == "Power On" && program.Text(IDC_STATUS) == kSwitchingOff;
  }, 60000)) << program.Text(IDC_STATUS);

  // Nobody presses the phone's key: the start fails and the caption goes
  // back to "Power Off" while the phone is still taken to be off.
  ASSERT_TRUE(program.Responsive());
  program.ClickLater(IDC_POWER);
  std::vector<std::string> texts = program.WatchText(IDC_STATUS, [&] {
    return program.Text(IDC_STATUS) == kSwitchOnFailed;
  }, 300000);
  EXPECT_TRUE(InOrder(texts, {kPressPowerKey, kSwitchOnFailed})) << Joined(texts);
  ASSERT_TRUE(program.Responsive());  // the command has ended
  EXPECT_EQ("Power Off", program.Text(IDC_POWER));
  // So the next press tries to switch it on again, not off.
  program.ClickLater(IDC_POWER);
  EXPECT_TRUE(WaitFor([&] { return program.Text(IDC_STATUS) == kPressPowerKey; }, 60000))
      << program.Text(IDC_STATUS);
}

TEST(PhoneButtons, PortThatCannotBeOpened) {
  REQUIRE_PHONE("working");
  ScopedWorkDir dir;
  ProgramDriver program(dir.Path().string());
  ASSERT_TRUE(program.Started());
  program.Click(IDC_COM);  // COM2: not wired to anything
  program.Click(IDC_START);
  UploadWatch watch = WatchUpload(program);
  EXPECT_EQ("Error open: СОМ2", watch.texts.back());
  // The Cyrillic letters of the text, not the Latin ones.
  EXPECT_EQ(std::wstring(L"Error open: \x0421\x041E\x041C" L"2"), Wide(watch.texts.back()));
  EXPECT_FALSE(watch.buttonsDisabled);

  // Power off on that port fails and says so for 4 seconds.
  program.ClickLater(IDC_POWER);
  std::vector<std::string> texts = program.WatchText(IDC_STATUS, [&] {
    return program.Text(IDC_STATUS) == kReadAgain;
  });
  EXPECT_TRUE(InOrder(texts, {kSwitchOffFailed, kReadAgain})) << Joined(texts);
  EXPECT_EQ("Power Off", program.Text(IDC_POWER));
  ASSERT_TRUE(program.Responsive());
  program.Click(IDCANCEL);
  EXPECT_EQ(1u, program.WaitForExit());
}

TEST(PhoneButtons, ClosingDuringAnUploadEndsCleanly) {
  REQUIRE_PHONE("working");
  ScopedWorkDir dir;
  struct Case {
    const std::string& phase;
    bool fromCaption;
  } cases[] = {{kConnecting, true}, {kWriting, false}, {kWriting, true}};
  for (const Case& c : cases) {
    ProgramDriver program(dir.Path().string());
    ASSERT_TRUE(program.Started());
    program.SetText(IDC_MELODY_TEXT, "C2(1/4)");
    program.Click(IDC_MELODY2);
    program.Click(IDC_START);
    ASSERT_TRUE(WaitFor([&] { return program.Text(IDC_STATUS) == c.phase; }, 60000))
        << c.phase << ": " << program.Text(IDC_STATUS);
    if (c.fromCaption)
      PostMessageA(program.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    else
      program.ClickLater(IDCANCEL);
    EXPECT_EQ(c.fromCaption ? 0u : 1u, program.WaitForExit(60000)) << c.phase;
  }
  // No crash report, and the port was given back: a new run writes.
  EXPECT_EQ(std::string::npos, ReadFile(dir.Path() / "Error.log").find("Time of exception"));
  ProgramDriver program(dir.Path().string());
  ASSERT_TRUE(program.Started());
  program.Click(IDC_START);
  UploadWatch watch = WatchUpload(program);
  EXPECT_EQ(kWritten, watch.texts.back()) << Joined(watch.texts);
  program.Click(IDCANCEL);
  EXPECT_EQ(1u, program.WaitForExit());
}

TEST(PhoneButtons, SilentPhoneIsReported) {
  REQUIRE_PHONE("silent");
  ScopedWorkDir dir;
  ProgramDriver program(dir.Path().string());
  ASSERT_TRUE(program.Started());
  program.Click(IDC_START);
  UploadWatch watch = WatchUpload(program);
  EXPECT_TRUE(InOrder(watch.texts, {kConnecting, kSilent})) << Joined(watch.texts);
  EXPECT_EQ(kSilent, watch.texts.back());
  EXPECT_FALSE(watch.buttonsDisabled);
  program.Click(IDCANCEL);
  EXPECT_EQ(1u, program.WaitForExit());
}

TEST(PhoneButtons, RefusedChunkIsAFailedWrite) {
  REQUIRE_PHONE("refusing");
  ScopedWorkDir dir;
  ProgramDriver program(dir.Path().string());
  ASSERT_TRUE(program.Started());
  program.Click(IDC_START);
  UploadWatch watch = WatchUpload(program);
  EXPECT_TRUE(InOrder(watch.texts, {kConnecting, kWriting, kWriteFailed})) << Joined(watch.texts);
  EXPECT_EQ(kWriteFailed, watch.texts.back());
  EXPECT_TRUE(watch.buttonsDisabled);
  program.Click(IDCANCEL);
  EXPECT_EQ(1u, program.WaitForExit());
}
