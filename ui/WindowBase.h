#pragma once
// A window as an object: the window procedure turns each message into a call
// of one virtual operation, the 31 handler slots below (WindowProc before
// them is slot 0). Declared in slot order, so that the virtual table keeps
// the layout the framework has always had.
#include <windows.h>

class WindowBase {
 public:
  WindowBase() = default;
  virtual ~WindowBase();
  WindowBase(const WindowBase&) = delete;
  WindowBase& operator=(const WindowBase&) = delete;

  virtual LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  virtual LRESULT OnClose(int code);
  virtual LRESULT OnPaint(HWND hwnd);
  virtual LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnCreate(HWND hwnd, LPARAM lParam);
  virtual LRESULT OnDestroy();
  virtual LRESULT OnNcPaint(WPARAM wParam);
  virtual LRESULT OnNcHitTest(int x, int y);
  virtual LRESULT OnActivate(WPARAM wParam);
  virtual LRESULT OnActivateApp(WPARAM wParam);
  virtual LRESULT OnShowWindow(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnTimer();
  virtual LRESULT OnNotify(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnQueryEndSession();
  virtual LRESULT OnUser(LPARAM lParam);
  virtual LRESULT OnMenuChar(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnMenuSelect(int item, int flags, HMENU menu);
  virtual LRESULT OnInitMenuPopup(HMENU menu, int systemMenu, int position);
  virtual LRESULT OnMouseMove(WPARAM keys, int x, int y);
  virtual LRESULT OnLButtonDown(WPARAM keys, int x, int y);
  virtual LRESULT OnLButtonUp(WPARAM keys, int x, int y);
  virtual LRESULT OnRButtonDown(WPARAM keys, int x, int y);
  virtual LRESULT OnRButtonUp(WPARAM keys, int x, int y);
  virtual LRESULT OnCtlColorStatic(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnCtlColorBtn(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnInitDialog();
  virtual LRESULT OnVScroll(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnHScroll(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnKeyUp(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnHotKey(WPARAM wParam, LPARAM lParam);

  // 0 for a dialog (the dialog manager's own handling applies), else
  // DefWindowProcA.
  LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

  // Centres the window on the reference's client area (the desktop without
  // one) and moves it there.
  void CenterWindow(HWND reference = nullptr);
  void CenterWindow(const WindowBase* reference);
  BOOL MoveTo(int x, int y);

  // A control's text; a control that does not exist puts the string-table
  // text of its ID, " v" and the text into the window title instead.
  void SetItemText(int controlId, const char* text);
  void SetItemTextFromId(int controlId, int stringId);
  void SetTitleFromId(int stringId);
  void EnableItem(int controlId, int enable);

  HWND Window() const { return window_; }
  HWND ParentWindow() const { return parent_; }
  void AttachWindow(HWND window) { window_ = window; }

 protected:
  HWND parent_ = nullptr;
  HWND window_ = nullptr;
  int dialog_ = 0;
};
