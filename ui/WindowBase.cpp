#include "ui/WindowBase.h"

#include "base/TextString.h"
#include "ui/DialogRules.h"
#include "ui/ResourceStrings.h"

namespace {
inline int Low(uintptr_t value) { return static_cast<int>(value & 0xFFFF); }
inline int High(uintptr_t value) { return static_cast<int>((value >> 16) & 0xFFFF); }
}  // namespace

WindowBase::~WindowBase() {
  if (window_ && IsWindow(window_)) DestroyWindow(window_);
}

LRESULT WindowBase::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const uintptr_t l = static_cast<uintptr_t>(lParam);
  switch (message) {
    case WM_CLOSE: OnClose(0); break;
    case WM_PAINT: OnPaint(hwnd); break;
    case WM_COMMAND: return OnCommand(wParam, lParam);
    case WM_SYSCOMMAND: return OnSysCommand(wParam, lParam);
    case WM_CREATE: return OnCreate(hwnd, lParam);
    case WM_DESTROY: return OnDestroy();
    case WM_NCPAINT: OnNcPaint(wParam); break;
    case WM_NCHITTEST: return OnNcHitTest(Low(l), High(l));
    case WM_ACTIVATE: OnActivate(wParam); break;
    case WM_ACTIVATEAPP: OnActivateApp(wParam); break;
    case WM_SHOWWINDOW: OnShowWindow(wParam, lParam); break;
    case WM_TIMER: OnTimer(); break;
    case WM_NOTIFY: OnNotify(wParam, lParam); break;
    case WM_QUERYENDSESSION: return OnQueryEndSession();
    case WM_USER: OnUser(lParam); break;
    case WM_MENUCHAR: return OnMenuChar(wParam, lParam);
    case WM_MENUSELECT:
      return OnMenuSelect(Low(wParam), High(wParam), reinterpret_cast<HMENU>(lParam));
    case WM_INITMENUPOPUP: OnInitMenuPopup(reinterpret_cast<HMENU>(wParam), High(l), Low(l)); break;
    case WM_MOUSEMOVE: OnMouseMove(wParam, Low(l), High(l)); break;
    case WM_LBUTTONDOWN: OnLButtonDown(wParam, Low(l), High(l)); break;
    case WM_LBUTTONUP: OnLButtonUp(wParam, Low(l), High(l)); break;
    case WM_RBUTTONDOWN: OnRButtonDown(wParam, Low(l), High(l)); break;
    case WM_RBUTTONUP: OnRButtonUp(wParam, Low(l), High(l)); break;
    case WM_CTLCOLORSTATIC: return OnCtlColorStatic(wParam, lParam);
    case WM_CTLCOLORBTN: return OnCtlColorBtn(wParam, lParam);
    case WM_INITDIALOG: return OnInitDialog();
    case WM_VSCROLL: OnVScroll(wParam, lParam); break;
    case WM_HSCROLL: OnHScroll(wParam, lParam); break;
    case WM_KEYUP: OnKeyUp(wParam, lParam); break;
    case WM_KEYDOWN: OnKeyDown(wParam, lParam); break;
    case WM_HOTKEY: return OnHotKey(wParam, lParam);
    default: break;
  }
  return DefaultProc(message, wParam, lParam);
}

LRESULT WindowBase::OnClose(int code) {
  PostQuitMessage(code);
  return 0;
}

LRESULT WindowBase::OnPaint(HWND hwnd) {
  PAINTSTRUCT paint;
  BeginPaint(hwnd, &paint);
  EndPaint(hwnd, &paint);
  return 0;
}

LRESULT WindowBase::OnCommand(WPARAM, LPARAM) { return 1; }
LRESULT WindowBase::OnSysCommand(WPARAM wParam, LPARAM lParam) {
  return DefaultProc(WM_SYSCOMMAND, wParam, lParam);
}
LRESULT WindowBase::OnCreate(HWND, LPARAM) { return 0; }
LRESULT WindowBase::OnDestroy() { return 0; }
LRESULT WindowBase::OnNcPaint(WPARAM) { return 0; }
LRESULT WindowBase::OnNcHitTest(int x, int y) {
  return DefaultProc(WM_NCHITTEST, 0,
                     static_cast<LPARAM>(static_cast<uint32_t>(x) + static_cast<uint32_t>(y) * 65536u));
}
LRESULT WindowBase::OnActivate(WPARAM) { return 0; }
LRESULT WindowBase::OnActivateApp(WPARAM) { return 0; }
LRESULT WindowBase::OnShowWindow(WPARAM, LPARAM) { return 0; }
LRESULT WindowBase::OnTimer() { return 0; }
LRESULT WindowBase::OnNotify(WPARAM, LPARAM) { return 0; }
LRESULT WindowBase::OnQueryEndSession() { return 0; }
LRESULT WindowBase::OnUser(LPARAM) { return 0; }
LRESULT WindowBase::OnMenuChar(WPARAM, LPARAM) { return 0; }
LRESULT WindowBase::OnMenuSelect(int, int, HMENU) { return 0; }
LRESULT WindowBase::OnInitMenuPopup(HMENU, int, int) { return 0; }
LRESULT WindowBase::OnMouseMove(WPARAM, int, int) { return 0; }
LRESULT WindowBase::OnLButtonDown(WPARAM, int, int) { return 0; }
LRESULT WindowBase::OnLButtonUp(WPARAM, int, int) { return 0; }
LRESULT WindowBase::OnRButtonDown(WPARAM, int, int) { return 0; }
LRESULT WindowBase::OnRButtonUp(WPARAM, int, int) { return 0; }
LRESULT WindowBase::OnCtlColorStatic(WPARAM, LPARAM) { return 0; }
LRESULT WindowBase::OnCtlColorBtn(WPARAM, LPARAM) { return 0; }
LRESULT WindowBase::OnInitDialog() { return 1; }
LRESULT WindowBase::OnVScroll(WPARAM, LPARAM) { return 0; }
LRESULT WindowBase::OnHScroll(WPARAM, LPARAM) { return 0; }
LRESULT WindowBase::OnKeyUp(WPARAM, LPARAM) { return 1; }
LRESULT WindowBase::OnKeyDown(WPARAM, LPARAM) { return 1; }
LRESULT WindowBase::OnHotKey(WPARAM, LPARAM) { return 0; }

LRESULT WindowBase::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (dialog_) return 0;
  return DefWindowProcA(window_, message, wParam, lParam);
}

void WindowBase::CenterWindow(const WindowBase* reference) {
  CenterWindow(reference ? reference->window_ : nullptr);
}

void WindowBase::CenterWindow(HWND reference) {
  if (!reference) reference = GetDesktopWindow();
  RECT outer = {}, own = {};
  GetWindowRect(reference, &outer);
  GetWindowRect(window_, &own);
  Point origin = CenteredOrigin(outer.right - outer.left, outer.bottom - outer.top,
                                own.right - own.left, own.bottom - own.top);
  POINT point = {origin.x, origin.y};
  ClientToScreen(reference, &point);
  MoveTo(point.x, point.y);
}

BOOL WindowBase::MoveTo(int x, int y) {
  return SetWindowPos(window_, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowBase::SetItemText(int controlId, const char* text) {
  HWND control = GetDlgItem(window_, controlId);
  if (control && IsWindow(control)) {
    SetDlgItemTextA(window_, controlId, text);
    return;
  }
  // The caller's text may be the shared string-table text: the prefix is
  // looked up into a text of its own so that it cannot replace it.
  TextString title;
  title.LoadFromId(static_cast<unsigned>(controlId));
  title.Append(" v");
  title.Append(text);
  SetWindowTextA(window_, title.Text());
}

void WindowBase::SetItemTextFromId(int controlId, int stringId) {
  SetItemText(controlId, ResString(static_cast<unsigned>(stringId)));
}

void WindowBase::SetTitleFromId(int stringId) {
  SetWindowTextA(window_, ResString(static_cast<unsigned>(stringId)));
}

void WindowBase::EnableItem(int controlId, int enable) {
  EnableWindow(GetDlgItem(window_, controlId), enable);
}
