#include "tests/ui/ProgramDriver.h"

namespace {

struct FindContext {
  DWORD processId;
  HWND exclude;
  HWND owner;
  HWND found;
};

BOOL CALLBACK FindProcessDialog(HWND window, LPARAM parameter) {
  FindContext* context = reinterpret_cast<FindContext*>(parameter);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId != context->processId || window == context->exclude || !IsWindowVisible(window))
    return TRUE;
  if (context->owner && GetWindow(window, GW_OWNER) != context->owner) return TRUE;
  char className[64] = {};
  GetClassNameA(window, className, sizeof className);
  if (strcmp(className, "#32770") != 0) return TRUE;
  context->found = window;
  return FALSE;
}

HWND FindDialogOf(DWORD processId, HWND owner, HWND exclude) {
  FindContext context = {processId, exclude, owner, nullptr};
  EnumWindows(FindProcessDialog, reinterpret_cast<LPARAM>(&context));
  return context.found;
}

std::wstring WindowTextW(HWND window) {
  int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, &text[0], length + 1)));
  return text;
}

}  // namespace

std::string BesideThisProgram(const char* name) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path);
  return folder.substr(0, folder.find_last_of("\\/") + 1) + name;
}

std::wstring Wide(const std::string& utf8) {
  int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], length);
  wide.resize(wcslen(wide.c_str()));
  return wide;
}

std::string Utf8(const std::wstring& wide) {
  int length = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &utf8[0], length, nullptr, nullptr);
  utf8.resize(strlen(utf8.c_str()));
  return utf8;
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(5);
  }
  return true;
}

ProgramDriver::ProgramDriver(const std::string& workDir, const std::string& program) {
  std::string command = "\"" + BesideThisProgram(program.c_str()) + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, workDir.c_str(),
                      &startup, &process_))
    return;
  WaitFor([&] {
    HWND found = FindDialogOf(process_.dwProcessId, nullptr, nullptr);
    if (found && WindowTextW(found).find(L"Quavrel v") == 0) dialog_ = found;
    return dialog_ != nullptr || WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
  });
}

ProgramDriver::~ProgramDriver() {
  if (!process_.hProcess) return;
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 10000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

std::string ProgramDriver::Text(int id) const { return Utf8(WindowTextW(Control(id))); }

std::string ProgramDriver::Title() const { return Utf8(WindowTextW(dialog_)); }

std::string ProgramDriver::EditText(int id) const {
  wchar_t text[4096] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(Control(id), WM_GETTEXT, sizeof text / sizeof *text,
                      reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 10000, &copied);
  return Utf8(text);
}

void ProgramDriver::SetText(int id, const std::string& utf8) {
  std::wstring wide = Wide(utf8);
  DWORD_PTR result = 0;
  SendMessageTimeoutW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()),
                      SMTO_NORMAL, 10000, &result);
}

bool ProgramDriver::Checked(int id) const {
  return SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool ProgramDriver::Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }

void ProgramDriver::Click(int id) {
  // The button reports the click to the dialog with a sent message, so
  // the handler has run when this returns.
  DWORD_PTR result = 0;
  SendMessageTimeoutA(Control(id), BM_CLICK, 0, 0, SMTO_NORMAL, 60000, &result);
}

void ProgramDriver::ClickLater(int id) { PostMessageA(Control(id), BM_CLICK, 0, 0); }

void ProgramDriver::PressKey(int id, WORD virtualKey) {
  UINT scan = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
  PostMessageA(Control(id), WM_KEYDOWN, virtualKey, 1 | (scan << 16));
  PostMessageA(Control(id), WM_KEYUP, virtualKey, 1 | (scan << 16) | 0xC0000000u);
}

bool ProgramDriver::Responsive() const {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result) != 0;
}

HWND ProgramDriver::WaitForOwnedWindow(DWORD timeoutMs) const {
  HWND found = nullptr;
  WaitFor([&] { return (found = FindDialogOf(process_.dwProcessId, dialog_, dialog_)) != nullptr; },
          timeoutMs);
  return found;
}

bool ProgramDriver::AnswerFileDialog(const std::string& path) {
  HWND fileDialog = WaitForOwnedWindow();
  if (!fileDialog) return false;
  // The file name box: a combo box in the newer layout, an edit in the older.
  HWND name = nullptr;
  WaitFor([&] {
    name = GetDlgItem(fileDialog, 0x47C);
    if (!name) name = GetDlgItem(fileDialog, 0x480);
    return name != nullptr;
  });
  if (!name) return false;
  std::wstring wide = Wide(path);
  SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  PostMessageA(fileDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(fileDialog, IDOK)));
  return WaitFor([&] { return !IsWindow(fileDialog); }) && Responsive();
}

bool ProgramDriver::CancelFileDialog() {
  HWND fileDialog = WaitForOwnedWindow();
  if (!fileDialog) return false;
  PostMessageA(fileDialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  return WaitFor([&] { return !IsWindow(fileDialog); }) && Responsive();
}

DWORD ProgramDriver::WaitForExit(DWORD timeoutMs) {
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0)
    GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

std::vector<std::string> ProgramDriver::WatchText(int id, const std::function<bool()>& stop,
                                                  DWORD timeoutMs) const {
  std::vector<std::string> seen;
  DWORD start = GetTickCount();
  for (bool last = false;;) {
    std::string text = Text(id);
    if (seen.empty() || seen.back() != text) seen.push_back(text);
    if (last) break;
    // One more look once stop() holds: it may have seen a newer text.
    last = stop() || GetTickCount() - start > timeoutMs;
    if (!last) Sleep(2);
  }
  return seen;
}

std::vector<std::string> ChildTexts(HWND window) {
  std::vector<std::string> texts;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    texts.push_back(Utf8(WindowTextW(child)));
  return texts;
}
