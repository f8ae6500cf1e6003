#include "ui/DialogBase.h"

#include "ui/AppContext.h"
#include "ui/DialogRules.h"

LRESULT DialogBase::OnClose(int code) {
  EndDialog(window_, code);
  return 0;
}

LRESULT DialogBase::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (IsCloseCommand(wParam)) OnClose(static_cast<int>(wParam));
  return SendMessageA(parent_, WM_COMMAND, wParam, lParam);
}

LRESULT DialogBase::OnNcHitTest(int, int) { return 0; }

INT_PTR DialogBase::ShowModal(const WindowBase* owner, int templateId) {
  parent_ = owner ? owner->Window() : nullptr;
  return DialogBoxParamA(AppInstance(), MAKEINTRESOURCEA(templateId), parent_, DialogProc,
                         reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const CREATESTRUCTA* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  } else if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, lParam);
  }
  WindowBase* object = reinterpret_cast<WindowBase*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!object) return 0;
  if (!object->Window()) object->AttachWindow(hwnd);
  return object->WindowProc(hwnd, message, wParam, lParam);
}
