// The program: one static application object that runs the main dialog.
#include <windows.h>

#include "diag/ErrorLog.h"
#include "melody/MelodySet.h"
#include "texts/ControlIds.h"
#include "ui/Main.h"
#include "ui/MainDialog.h"

namespace {

class MainApp : public Main {
 public:
  int Run() override {
    MainDialog dialog;
    return RunModalDialog(*this, dialog, IDD_MAIN);
  }
};

// Defined in this order so that the document exists before the application
// object and outlives it.
[[maybe_unused]] MelodySet& document = Melodies();
MainApp theApp;

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
  DeleteFileA(kErrorLogName);  // every run starts a new log
  Main* main = Main::Registered();
  if (!main) {
    LogError("WinMain: class Main==NULL,error code: %d", static_cast<int>(GetLastError()));
    return 1;
  }
  return RunMain(main, hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
