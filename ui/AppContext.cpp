#include "ui/AppContext.h"

#include "sys/Strings.h"

namespace {
AppContext* current = nullptr;
}

AppContext* AppContext::Current() { return current; }

void AppContext::MakeCurrent() { current = this; }

void AppContext::SetInstance(HINSTANCE instance) {
  instance_ = instance;
  sys::SetResourceModule(instance);
}

HINSTANCE AppInstance() {
  if (current && current->Instance()) return current->Instance();
  return GetModuleHandleA(nullptr);
}
