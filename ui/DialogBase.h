#pragma once
// A dialog as an object: DialogProc attaches the object (passed through
// DialogBoxParamA) to its window and hands it every message.
#include "ui/WindowBase.h"

class DialogBase : public WindowBase {
 public:
  DialogBase() { dialog_ = 1; }

  LRESULT OnClose(int code) override;  // EndDialog with the code
  // IDOK and IDCANCEL (whole wParam) close; every command is then passed on
  // to the parent window.
  LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnNcHitTest(int x, int y) override;

  // Runs the dialog from template templateId modally, owned by owner's
  // window (none without an owner); the result of DialogBoxParamA.
  INT_PTR ShowModal(const WindowBase* owner, int templateId);
};

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
