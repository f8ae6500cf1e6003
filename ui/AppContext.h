#pragma once
// The program's instance handle, used for every resource access: dialog
// templates, the string table, accelerator tables.
#include <windows.h>

class AppContext {
 public:
  // The context made current last; nullptr before RunMain.
  static AppContext* Current();
  void MakeCurrent();

  HINSTANCE Instance() const { return instance_; }
  // Also points the string-table lookup at this module.
  void SetInstance(HINSTANCE instance);

 private:
  HINSTANCE instance_ = nullptr;
};

// The current context's instance, or the program's own module without one.
HINSTANCE AppInstance();
