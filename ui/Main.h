#pragma once
// The application object: exactly one registered Main per process. Its
// construction installs the crash report; RunMain runs it.
#include <windows.h>

#include <cstdint>

class Main {
 public:
  // Registers the first instance and installs the crash filter; a second
  // one logs "class Main is only one!" and gives up at once.
  Main();
  virtual ~Main();
  Main(const Main&) = delete;
  Main& operator=(const Main&) = delete;

  // The application's body; its result becomes the process exit code.
  virtual int Run() = 0;
  // Dispatches messages until WM_QUIT and returns its wParam. With a
  // non-zero accelerator table ID, the table is loaded from the program's
  // resources and offered every message first.
  virtual int MessageLoop(uint16_t acceleratorId);

  // The registered instance, or nullptr.
  static Main* Registered();

 private:
  void Teardown();
};

class DialogBase;

// The body of a dialog application: runs dialog modally from templateId,
// then app's message loop until the dialog's quit message. A dialog that
// cannot be created is logged and gives -1 at once, since no quit message
// would ever come.
int RunModalDialog(Main& app, DialogBase& dialog, int templateId);

// Makes a new AppContext current with hInstance, initialises the common
// controls and returns main's Run. The other arguments are not consulted.
int RunMain(Main* main, HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine,
            int nCmdShow);
