#pragma once
// Drives Quavrel.exe as a user would, from another process: starts it in a
// folder, finds its dialog, reads and sets control texts, clicks, presses
// keys, answers its file dialogs and message boxes, and reads its exit code.
// Texts are UTF-8 here and UTF-16 on the window side.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

std::string BesideThisProgram(const char* name);
std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);

// Waits for condition, checking every few milliseconds; false on time-out.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 20000);

class ProgramDriver {
 public:
  // Starts the program with workDir as its current directory and waits for
  // its main dialog.
  explicit ProgramDriver(const std::string& workDir, const std::string& program = "Quavrel.exe");
  ~ProgramDriver();  // ends the program if it still runs

  bool Started() const { return dialog_ != nullptr; }
  HWND Dialog() const { return dialog_; }
  HWND Control(int id) const { return GetDlgItem(dialog_, id); }

  // Reads without a message to the program's thread where the platform
  // keeps the text (captions of buttons and statics), so it works while the
  // program is busy; edits are asked.
  std::string Text(int id) const;
  std::string Title() const;
  std::string EditText(int id) const;
  void SetText(int id, const std::string& utf8);
  bool Checked(int id) const;
  bool Enabled(int id) const;

  // A click as the button itself reports it; returns once the dialog has
  // handled it.
  void Click(int id);
  // The same click, returning at once: for buttons whose handler waits for
  // the user (file dialogs) or for the phone.
  void ClickLater(int id);
  // A key press on a control, through the dialog's own key handling.
  void PressKey(int id, WORD virtualKey);
  // Waits until the program's window thread takes messages again (after a
  // file dialog closed, for instance).
  bool Responsive() const;

  // A window the program opens over its dialog (file dialog, message box).
  HWND WaitForOwnedWindow(DWORD timeoutMs = 20000) const;
  // Types path into the file dialog that is open and accepts it.
  bool AnswerFileDialog(const std::string& path);
  bool CancelFileDialog();

  // Waits for the process to end; its exit code, or STILL_ACTIVE.
  DWORD WaitForExit(DWORD timeoutMs = 20000);

  // Records each distinct text of a control until stop() says so.
  std::vector<std::string> WatchText(int id, const std::function<bool()>& stop,
                                     DWORD timeoutMs = 120000) const;

 private:
  PROCESS_INFORMATION process_ = {};
  HWND dialog_ = nullptr;
};

// The texts of every child window of a top-level window, in z-order.
std::vector<std::string> ChildTexts(HWND window);
