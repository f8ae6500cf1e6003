#pragma once
// A window as an object: the window procedure turns each message into a call
// of one virtual operation (slots 1 to 31 below, after WindowProc in slot 0).
#include <windows.h>

class WindowBase {
 public:
  WindowBase() = default;
  virtual ~WindowBase();
  WindowBase(const WindowBase&) = delete;
  WindowBase& operator=(const WindowBase&) = delete;

  virtual LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  virtual LRESULT OnClose(int code);                                    // 1
  virtual LRESULT OnPaint(HWND hwnd);                                   // 2
  virtual LRESULT OnCommand(WPARAM wParam, LPARAM lParam);              // 3
  virtual LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);           // 4
  virtual LRESULT OnCreate(HWND hwnd, LPARAM lParam);                   // 5
  virtual LRESULT OnDestroy();                                          // 6
  virtual LRESULT OnNcPaint(WPARAM wParam);                             // 7
  virtual LRESULT OnNcHitTest(int x, int y);                            // 8
  virtual LRESULT OnActivate(WPARAM wParam);                            // 9
  virtual LRESULT OnActivateApp(WPARAM wParam);                         // 10
  virtual LRESULT OnShowWindow(WPARAM wParam, LPARAM lParam);           // 11
  virtual LRESULT OnTimer();                                            // 12
  virtual LRESULT OnNotify(WPARAM wParam, LPARAM lParam);               // 13
  virtual LRESULT OnQueryEndSession();                                  // 14
  virtual LRESULT OnUser(LPARAM lParam);                                // 15
  virtual LRESULT OnMenuChar(WPARAM wParam, LPARAM lParam);             // 16
  virtual LRESULT OnMenuSelect(int item, int flags, HMENU menu);        // 17
  virtual LRESULT OnInitMenuPopup(HMENU menu, int systemMenu, int position);  // 18
  virtual LRESULT OnMouseMove(WPARAM keys, int x, int y);               // 19
  virtual LRESULT OnLButtonDown(WPARAM keys, int x, int y);             // 20
  virtual LRESULT OnLButtonUp(WPARAM keys, int x, int y);               // 21
  virtual LRESULT OnRButtonDown(WPARAM keys, int x, int y);             // 22
  virtual LRESULT OnRButtonUp(WPARAM keys, int x, int y);               // 23
  virtual LRESULT OnCtlColorStatic(WPARAM wParam, LPARAM lParam);       // 24
  virtual LRESULT OnCtlColorBtn(WPARAM wParam, LPARAM lParam);          // 25
  virtual LRESULT OnInitDialog();                                       // 26
  virtual LRESULT OnVScroll(WPARAM wParam, LPARAM lParam);              // 27
  virtual LRESULT OnHScroll(WPARAM wParam, LPARAM lParam);              // 28
  virtual LRESULT OnKeyUp(WPARAM wParam, LPARAM lParam);                // 29
  virtual LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam);              // 30
  virtual LRESULT OnHotKey(WPARAM wParam, LPARAM lParam);               // 31

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
