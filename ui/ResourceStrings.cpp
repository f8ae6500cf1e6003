#include "ui/ResourceStrings.h"

#include <cstring>

#include "base/TextString.h"
#include "sys/Strings.h"

namespace {
constexpr int kStringBufferSize = 1024;
}

char* ResString(unsigned id) {
  thread_local char text[kStringBufferSize];
  memset(text, 0, sizeof text);
  sys::LoadTableString(id, text, sizeof text);
  return text;
}

int ResMessageBox(HWND owner, unsigned textId, unsigned captionId, UINT type) {
  TextString text, caption;
  text.LoadFromId(textId);
  caption.LoadFromId(captionId);
  return MessageBoxA(owner, text.Text(), caption.Text(), type);
}
