#pragma once
// Drives Quavrel.exe as a user would, from another process: starts it in a
// folder, finds its dialog, reads and sets control texts, clicks, presses
// keys, answers its file dialogs, and reads its exit code. Texts are UTF-8
// here and code page 1251 on the window side, as the program's own.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "base/Cp1251.h"

inline std::string BesideThisProgram(const char* name) {
  char path[MAX_PATH] = {};
  const std::string self(path, GetModuleFileNameA(nullptr, path, sizeof path));
  return self.substr(0, self.find_last_of("\\/") + 1) + name;
}

// A window's text where the platform keeps it, without a message to the
// window's thread, so it can be read while that thread is busy. An edit of
// another process keeps its text to itself: ask it.
inline std::string WindowText(HWND window, bool ask = false) {
  char text[4096] = {};
  if (ask) SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  else GetWindowTextA(window, text, sizeof text);
  return Cp1251ToUtf8(text);
}

// Waits for condition, checking every few milliseconds; false on time-out.
inline bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 20000) {
  for (DWORD start = GetTickCount(); !condition(); Sleep(5))
    if (GetTickCount() - start > timeoutMs) return false;
  return true;
}

class ProgramDriver {
 public:
  // Starts Quavrel.exe (or another command) with workDir as its current
  // directory and waits for its main dialog, or for it to end.
  explicit ProgramDriver(const std::string& workDir, std::string command = "") {
    if (command.empty()) command = "\"" + BesideThisProgram("Quavrel.exe") + "\"";
    STARTUPINFOA startup = {sizeof startup};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                        workDir.c_str(), &startup, &process_))
      return;
    WaitFor([&] {
      HWND found = OwnedDialog(nullptr);
      if (found && WindowText(found).find("Quavrel v") == 0) dialog_ = found;
      return dialog_ != nullptr || WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
    });
  }

  ~ProgramDriver() {  // ends the program if it still runs
    if (!process_.hProcess) return;
    TerminateProcess(process_.hProcess, 99);  // refused when it has ended
    WaitForSingleObject(process_.hProcess, 10000);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }

  bool Started() const { return dialog_ != nullptr; }
  HWND Dialog() const { return dialog_; }
  HWND Control(int id) const { return GetDlgItem(dialog_, id); }

  std::string Text(int id) const { return WindowText(Control(id)); }
  std::string EditText(int id) const { return WindowText(Control(id), true); }
  void SetText(int id, const std::string& utf8) {
    SendMessageA(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Utf8ToCp1251(utf8).c_str()));
  }
  bool Checked(int id) const { return SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }

  // A click as the button itself reports it, with a sent message: returns
  // once the dialog has handled it.
  void Click(int id) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(Control(id), BM_CLICK, 0, 0, SMTO_NORMAL, 60000, &result);
  }
  // The same click, returning at once: for buttons whose handler waits for
  // the user (file dialogs).
  void ClickLater(int id) { PostMessageA(Control(id), BM_CLICK, 0, 0); }
  // A key press on a control, through the dialog's own key handling.
  void PressKey(int id, WORD key) {
    const UINT bits = 1 | (MapVirtualKeyA(key, MAPVK_VK_TO_VSC) << 16);
    PostMessageA(Control(id), WM_KEYDOWN, key, bits);
    PostMessageA(Control(id), WM_KEYUP, key, bits | 0xC0000000u);
  }
  // A control as the screen shows it now, pixel by pixel: whether a text
  // that was set has also been painted is seen here, not in the window's
  // own text.
  std::vector<uint32_t> ScreenPixels(int id) const {
    RECT place = {};
    GetWindowRect(Control(id), &place);
    const int width = place.right - place.left, height = place.bottom - place.top;
    BITMAPINFO info = {{sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    HDC screen = GetDC(nullptr), copy = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(copy, bitmap);
    BitBlt(copy, 0, 0, width, height, screen, place.left, place.top, SRCCOPY);
    SelectObject(copy, previous);
    std::vector<uint32_t> pixels(width * height);
    GetDIBits(copy, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(copy);
    ReleaseDC(nullptr, screen);
    return pixels;
  }

  // Waits until the program's window thread takes messages again.
  bool Responsive() const {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result) != 0;
  }

  // A window the program opens over its dialog (file dialog, message box).
  HWND WaitForOwnedWindow(DWORD timeoutMs = 20000) const {
    HWND found = nullptr;
    return WaitFor([&] { return (found = OwnedDialog(dialog_)) != nullptr; }, timeoutMs) ? found : nullptr;
  }
  // Types path into the file dialog that opens and accepts it.
  bool AnswerFileDialog(const std::string& path) {
    HWND fileDialog = WaitForOwnedWindow(), name = nullptr;  // the file name box
    if (!fileDialog || !WaitFor([&] { return (name = GetDlgItem(fileDialog, 0x47C)) != nullptr; }))
      return false;
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(fileDialog, WM_COMMAND, IDOK,
                 reinterpret_cast<LPARAM>(GetDlgItem(fileDialog, IDOK)));
    return WaitFor([&] { return !IsWindow(fileDialog); }) && Responsive();
  }

  // Waits for the process to end; its exit code, or STILL_ACTIVE.
  DWORD WaitForExit(DWORD timeoutMs = 20000) {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0)
      GetExitCodeProcess(process_.hProcess, &code);
    return code;
  }

 private:
  // A visible dialog of the program owned by owner (nullptr: top-level).
  HWND OwnedDialog(HWND owner) const {
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "#32770", nullptr));) {
      DWORD processId = 0;
      GetWindowThreadProcessId(window, &processId);
      if (processId == process_.dwProcessId && IsWindowVisible(window) &&
          GetWindow(window, GW_OWNER) == owner)
        return window;
    }
    return nullptr;
  }

  PROCESS_INFORMATION process_ = {};
  HWND dialog_ = nullptr;
};
