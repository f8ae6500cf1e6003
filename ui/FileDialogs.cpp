#include "ui/FileDialogs.h"

#include <commdlg.h>

#include <cstddef>
#include <cstring>

#include "diag/ProgramPath.h"
#include "ui/DialogRules.h"
#include "ui/ResourceStrings.h"

namespace {

constexpr int kPathBufferSize = 1024;
// The record up to and including lpTemplateName: what every Windows
// version since 95 and NT 4 accepts.
constexpr DWORD kOpenFileNameSize = 76;
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == kOpenFileNameSize,
              "OPENFILENAMEA layout");

char openPath[kPathBufferSize];
char savePath[kPathBufferSize];

void FillRecord(OPENFILENAMEA& record, HWND owner, unsigned filterId,
                const char* defaultExtension, char* path) {
  memset(&record, 0, sizeof record);
  char* filter = ResString(filterId);
  FilterBarsToNuls(filter);
  record.lStructSize = kOpenFileNameSize;
  record.hwndOwner = owner;
  record.lpstrFilter = filter;
  record.nFilterIndex = 0;
  record.lpstrFile = path;
  record.nMaxFile = kPathBufferSize;
  record.lpstrDefExt = defaultExtension;
}

}  // namespace

const char* OpenFileDialog(HWND owner, unsigned filterId, const char* defaultExtension) {
  memset(openPath, 0, sizeof openPath);
  OPENFILENAMEA record;
  FillRecord(record, owner, filterId, defaultExtension, openPath);
  record.lpstrInitialDir = ProgramDirectory();
  record.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  if (!GetOpenFileNameA(&record)) openPath[0] = '\0';
  return openPath;
}

const char* SaveFileDialog(HWND owner, unsigned filterId, const char* defaultExtension) {
  memset(savePath, 0, sizeof savePath);
  char currentDirectory[kPathBufferSize] = {};
  GetCurrentDirectoryA(sizeof currentDirectory, currentDirectory);
  OPENFILENAMEA record;
  FillRecord(record, owner, filterId, defaultExtension, savePath);
  record.lpstrInitialDir = currentDirectory;
  // Unlike Load, Save leaves the current folder where the user went: the
  // next Save starts there.
  record.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  if (!GetSaveFileNameA(&record)) savePath[0] = '\0';
  return savePath;
}
