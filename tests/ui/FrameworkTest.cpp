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

// Runs a script of posted messages once the dialog is up and records what
// reaches its operations.
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

}  // namespace

TEST(WindowFramework, CommandsCloseOnlyForWholeOkAndCancel) {
  ScriptedDialog dialog;
  dialog.script = {{WM_COMMAND, MAKEWPARAM(IDOK, 1)}, {WM_COMMAND, MAKEWPARAM(IDCANCEL, 1)},
                   {WM_COMMAND, IDCANCEL}};
  EXPECT_EQ(IDCANCEL, dialog.ShowModal(nullptr, kTestTemplate));
  EXPECT_EQ((std::vector<std::string>{"init", "command 65537", "command 65538", "command 2",
                                      "close 2"}),
            dialog.calls);
  EXPECT_NE(nullptr, dialog.Window());
}

TEST(WindowFramework, CaptionCloseEndsWithZeroAndOkWithOne) {
  ScriptedDialog closed;
  closed.script = {{WM_CLOSE, 0}};
  EXPECT_EQ(0, closed.ShowModal(nullptr, kTestTemplate));
  EXPECT_EQ("close 0", closed.calls.back());

  ScriptedDialog ok;
  ok.script = {{WM_COMMAND, IDOK}};
  EXPECT_EQ(IDOK, ok.ShowModal(nullptr, kTestTemplate));
}

TEST(WindowFramework, MissingTemplateFailsInsteadOfWaiting) {
  ScriptedDialog dialog;
  EXPECT_EQ(-1, dialog.ShowModal(nullptr, 12345));
  EXPECT_TRUE(dialog.calls.empty());
}

TEST(WindowFramework, OwnedDialogPassesCommandsToItsParent) {
  // The owner's commands arrive at the owner's window procedure.
  ScriptedDialog owner;
  std::vector<std::string> innerCalls;
  owner.onInit = [&](ScriptedDialog& self) {
    ScriptedDialog inner;
    inner.script = {{WM_COMMAND, 1234}, {WM_CLOSE, 0}};
    EXPECT_EQ(0, inner.ShowModal(&self, kTestTemplate));
    EXPECT_EQ(self.Window(), inner.ParentWindow());
    innerCalls = inner.calls;
    PostMessageA(self.Window(), WM_CLOSE, 0, 0);
  };
  EXPECT_EQ(0, owner.ShowModal(nullptr, kTestTemplate));
  EXPECT_EQ((std::vector<std::string>{"init", "command 1234", "close 0"}), innerCalls);
  // 1234 reached the owner through the inner dialog's OnCommand.
  EXPECT_EQ((std::vector<std::string>{"init", "command 1234", "close 0"}), owner.calls);
}

TEST(WindowFramework, ItemTextsAndTitleFallback) {
  ScriptedDialog dialog;
  std::vector<std::string> seen;
  dialog.onInit = [&](ScriptedDialog& self) {
    self.SetItemText(kEditId, "typed");
    seen.push_back(WindowText(GetDlgItem(self.Window(), kEditId)));
    // No control 2000 and no string 2000: the title takes the text.
    self.SetItemText(2000, "abc");
    seen.push_back(WindowText(self.Window()));
    // A control ID that is also a string ID puts that string first.
    self.SetItemText(122, "x");
    seen.push_back(WindowText(self.Window()));
    // The text from the table must survive the fallback's own lookup.
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

TEST(WindowFramework, MessagesOutsideTheTableGoToTheDefault) {
  ScriptedDialog dialog;
  LRESULT doubleClick = -1, keyDown = -1, hitTest = -1, init = -1;
  dialog.onInit = [&](ScriptedDialog& self) {
    doubleClick = self.WindowProc(self.Window(), WM_LBUTTONDBLCLK, 0, 0);
    keyDown = self.WindowProc(self.Window(), WM_KEYDOWN, VK_SPACE, 0);  // op says 1, def wins
    hitTest = self.WindowProc(self.Window(), WM_NCHITTEST, 0, MAKELPARAM(5, 5));
    init = self.WindowBase::OnInitDialog();
    PostMessageA(self.Window(), WM_CLOSE, 0, 0);
  };
  dialog.ShowModal(nullptr, kTestTemplate);
  EXPECT_EQ(0, doubleClick);
  EXPECT_EQ(0, keyDown);
  EXPECT_EQ(0, hitTest);
  EXPECT_EQ(1, init);
}

TEST(WindowFramework, CentresOnTheReferencesClientOrigin) {
  HWND reference = CreateWindowExA(0, "Static", "reference", WS_POPUP | WS_CAPTION | WS_BORDER,
                                   100, 50, 400, 300, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, reference);
  WindowBase window;
  window.AttachWindow(CreateWindowExA(0, "Static", "own", WS_POPUP, 0, 0, 201, 100, nullptr,
                                      nullptr, nullptr, nullptr));
  ASSERT_NE(nullptr, window.Window());
  window.CenterWindow(reference);
  RECT placed, outer;
  GetWindowRect(window.Window(), &placed);
  GetWindowRect(reference, &outer);
  POINT clientOrigin = {0, 0};
  ClientToScreen(reference, &clientOrigin);
  // Half of 400 less half of 201 (100), from the client area's corner.
  EXPECT_EQ(clientOrigin.x + 100, placed.left);
  EXPECT_EQ(clientOrigin.y + (outer.bottom - outer.top) / 2 - 50, placed.top);
  EXPECT_EQ(201, placed.right - placed.left);  // size kept
  DestroyWindow(reference);
  // The object destroys a window that still exists.
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
  // The Cyrillic texts arrive in code page 1251.
  EXPECT_STREQ("\xCE\xF8\xE8\xE1\xEA\xE0", ResString(116));
}

namespace {
class CountingMain : public Main {
 public:
  int Run() override { return 42; }
};
}  // namespace

TEST(Application, OneRegisteredMainAndTheQuitCodeFromTheLoop) {
  testing_support::ScopedWorkDir dir;
  ResetLogHeaderForTest();
  {
    CountingMain first;
    EXPECT_EQ(&first, Main::Registered());
    {
      CountingMain second;
      EXPECT_EQ(&first, Main::Registered());
    }
    EXPECT_EQ(&first, Main::Registered());
    EXPECT_EQ(42, RunMain(Main::Registered(), GetModuleHandleA(nullptr), nullptr, nullptr, 0));
    EXPECT_EQ(GetModuleHandleA(nullptr), AppContext::Current()->Instance());
    PostQuitMessage(7);
    EXPECT_EQ(7, first.MessageLoop(0));
  }
  EXPECT_EQ(nullptr, Main::Registered());
  std::string log = testing_support::ReadFile(dir.Path() / "Error.log");
  size_t at = log.find("Release version:\r\n");
  ASSERT_NE(std::string::npos, at);
  std::string lines = log.substr(at + 18);
  // One time-stamped line and nothing else.
  EXPECT_EQ(1u, std::count(lines.begin(), lines.end(), '\n'));
  EXPECT_NE(std::string::npos, lines.find(" class Main is only one!,error code: "));
  EXPECT_EQ(':', lines[2]);
}
