// The window framework on real windows: attaching objects, dispatching
// messages, closing rules, control texts, centring, the application object.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "diag/ErrorLog.h"
#include "tests/support/TestSupport.h"
#include "ui/AppContext.h"
#include "ui/DialogBase.h"
#include "ui/Main.h"
#include "ui/ResourceStrings.h"

namespace {

constexpr int kTestTemplate = 900;
constexpr int kEditId = 10;

std::string WindowText(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// Posts a script of messages once it is up and records what reaches it.
class ScriptedDialog : public DialogBase {
 public:
  std::vector<std::pair<UINT, WPARAM>> script;
  std::vector<std::string> calls;
  std::function<void(ScriptedDialog&)> onInit;

  LRESULT OnInitDialog() override {
    calls.push_back("init");
    if (onInit) onInit(*this);
    for (auto& step : script) PostMessageA(window_, step.first, step.second, 0);
    return 1;
  }
  LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override {
    calls.push_back("command " + std::to_string(wParam));
    return DialogBase::OnCommand(wParam, lParam);
  }
  LRESULT OnClose(int code) override {
    calls.push_back("close " + std::to_string(code));
    return DialogBase::OnClose(code);
  }
};

class CountingMain : public Main {
 public:
  int Run() override { return 42; }
};

}  // namespace

TEST(WindowFramework, DialogsCloseOnWholeOkCancelAndCaption) {
  struct {
    std::vector<std::pair<UINT, WPARAM>> script;
    INT_PTR result;
    std::vector<std::string> calls;
  } cases[] = {
      {{{WM_COMMAND, MAKEWPARAM(IDOK, 1)}, {WM_COMMAND, IDCANCEL}}, IDCANCEL,
       {"init", "command 65537", "command 2", "close 2"}},
      {{{WM_COMMAND, IDOK}}, IDOK, {"init", "command 1", "close 1"}},
      {{{WM_CLOSE, 0}}, 0, {"init", "close 0"}},
  };
  for (auto& c : cases) {
    ScriptedDialog dialog;
    dialog.script = c.script;
    EXPECT_EQ(c.result, dialog.ShowModal(nullptr, kTestTemplate));
    EXPECT_EQ(c.calls, dialog.calls);
  }
}

TEST(WindowFramework, ItemTextsAndTitleFallback) {
  ScriptedDialog dialog;
  std::vector<std::string> seen;
  dialog.onInit = [&](ScriptedDialog& self) {
    self.SetItemText(kEditId, "typed");
    seen.push_back(WindowText(GetDlgItem(self.Window(), kEditId)));
    self.SetItemText(2000, "abc");  // no such control, no such string
    seen.push_back(WindowText(self.Window()));
    self.SetItemText(122, "x");  // a control ID that is also a string ID
    seen.push_back(WindowText(self.Window()));
    // The table's text must survive the fallback's own lookup.
    self.SetItemTextFromId(2000, 123);
    seen.push_back(WindowText(self.Window()));
    self.SetTitleFromId(121);
    seen.push_back(WindowText(self.Window()));
    self.EnableItem(kEditId, 0);
    seen.push_back(IsWindowEnabled(GetDlgItem(self.Window(), kEditId)) ? "enabled" : "disabled");
    PostMessageA(self.Window(), WM_CLOSE, 0, 0);
  };
  dialog.ShowModal(nullptr, kTestTemplate);
  EXPECT_EQ((std::vector<std::string>{"typed", " vabc", "Power Off vx", " vPower On", "-=Read=-",
                                      "disabled"}),
            seen);
}

TEST(ResourceStrings, LookupsPerThreadNeverReplaceEachOther) {
  const char* first = ResString(122);
  EXPECT_STREQ("Power Off", first);
  EXPECT_STREQ("", ResString(2000));
  EXPECT_STREQ("", first);  // the same text, replaced by the next call
  first = ResString(123);
  std::string other;
  std::thread([&] { other = ResString(121); }).join();
  EXPECT_EQ("-=Read=-", other);
  EXPECT_STREQ("Power On", first);  // untouched by the other thread's lookup
  EXPECT_STREQ("\xCE\xF8\xE8\xE1\xEA\xE0", ResString(116));  // code page 1251
}

TEST(Application, OneRegisteredMainADialogThatFailsAndTheQuitCode) {
  testing_support::ScopedWorkDir dir;
  ResetLogHeaderForTest();
  {
    CountingMain first;
    {
      CountingMain second;
      EXPECT_EQ(&first, Main::Registered());
    }
    EXPECT_EQ(&first, Main::Registered());
    EXPECT_EQ(42, RunMain(Main::Registered(), GetModuleHandleA(nullptr), nullptr, nullptr, 0));
    EXPECT_EQ(GetModuleHandleA(nullptr), AppContext::Current()->Instance());
    // A template that does not exist ends the run instead of waiting for a
    // quit message that nothing would post.
    ScriptedDialog missing;
    EXPECT_EQ(-1, RunModalDialog(first, missing, 12345));
    PostQuitMessage(7);
    EXPECT_EQ(7, first.MessageLoop(0));
  }
  EXPECT_EQ(nullptr, Main::Registered());
  std::string log = testing_support::ReadFile(dir.Path() / "Error.log");
  size_t at = log.find("Release version:\r\n");
  ASSERT_NE(std::string::npos, at);
  std::string lines = log.substr(at + 18);
  EXPECT_EQ(2, std::count(lines.begin(), lines.end(), '\n')) << lines;
  EXPECT_NE(std::string::npos, lines.find(" class Main is only one!,error code: "));
  EXPECT_NE(std::string::npos, lines.find(" ShowModal(12345),error code: "));
}
