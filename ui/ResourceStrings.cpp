#include "ui/ResourceStrings.h"

#include <cstring>

#include "base/TextString.h"
#include "sys/ErrorText.h"
#include "sys/Strings.h"
#include "texts/StringIds.h"

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

int FileErrorBox(HWND owner, unsigned textId, const char* path, unsigned error) {
  TextString text, caption;
  text.LoadFromId(textId);
  text.Append("\r\n");
  text.Append(path);
  const std::string reason = sys::ErrorText(error);
  if (!reason.empty()) {
    text.Append("\r\n\r\n");
    text.Append(reason.c_str());
  }
  caption.LoadFromId(IDS_ERROR_CAPTION);
  return MessageBoxA(owner, text.Text(), caption.Text(), MB_OK | MB_ICONERROR);
}
