#include "ui/Main.h"

#include <commctrl.h>

#include "diag/CrashReport.h"
#include "diag/ErrorLog.h"
#include "ui/AppContext.h"
#include "ui/DialogBase.h"

namespace {
Main* registered = nullptr;
}

Main::Main() {
  if (registered) {
    LogError("class Main is only one!,error code: %d", static_cast<int>(GetLastError()));
    Teardown();
    return;
  }
  registered = this;
  InstallCrashHandler();
}

Main::~Main() {
  Teardown();
  // Nothing may reach an object that is gone through the registration.
  if (registered == this) registered = nullptr;
}

void Main::Teardown() { RestoreErrorMode(); }

Main* Main::Registered() { return registered; }

int Main::MessageLoop(uint16_t acceleratorId) {
  HACCEL accelerators = nullptr;
  if (acceleratorId != 0)
    accelerators = LoadAcceleratorsA(AppInstance(), MAKEINTRESOURCEA(acceleratorId));
  MSG message = {};
  for (;;) {
    BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) break;
    if (accelerators) {
      if (TranslateAcceleratorA(message.hwnd, accelerators, &message)) continue;
      TranslateMessage(&message);
    }
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}

int RunModalDialog(Main& app, DialogBase& dialog, int templateId) {
  if (dialog.ShowModal(nullptr, templateId) == -1) {
    LogError("ShowModal(%d),error code: %d", templateId, static_cast<int>(GetLastError()));
    return -1;
  }
  return app.MessageLoop(0);
}

int RunMain(Main* main, HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
  static AppContext context;
  context.MakeCurrent();
  InitCommonControls();  // the up-down control's class
  context.SetInstance(hInstance);
  return main->Run();
}
