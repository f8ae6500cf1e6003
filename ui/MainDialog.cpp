#include "ui/MainDialog.h"

#include <commctrl.h>

#include <string>

#include "diag/ErrorLog.h"
#include "link/PhoneJobs.h"
#include "melody/MelodySet.h"
#include "ui/ControlIds.h"
#include "ui/DialogRules.h"
#include "ui/FileDialogs.h"
#include "ui/ResourceStrings.h"

namespace {
constexpr uint16_t kInitialTempo = 128;
constexpr int kTempoEditLimit = 3;
constexpr LPARAM kTempoArrowRange = 0x200;  // maximum 512 (low word), minimum 0
}  // namespace

MainDialog::MainDialog() = default;

MainDialog::~MainDialog() { StopUpload(); }

LRESULT MainDialog::OnInitDialog() {
  CenterWindow();
  SetTitleFromId(IDS_TITLE);
  SendDlgItemMessageA(window_, IDC_MELODY1, BM_SETCHECK, 1, 0);
  SendDlgItemMessageA(window_, IDC_TEMPO, EM_LIMITTEXT, kTempoEditLimit, 0);
  SendDlgItemMessageA(window_, IDC_TEMPO_ARROWS, UDM_SETRANGE, 1, kTempoArrowRange);
  SetDlgItemInt(window_, IDC_TEMPO, kInitialTempo, FALSE);
  SetItemText(IDC_STATUS, "-=Ready=-");
  return 1;
}

LRESULT MainDialog::OnClose(int code) {
  // The worker must be gone before the window and this object are.
  closing_ = true;
  StopUpload();
  EndDialog(window_, code);
  PostQuitMessage(code);
  return 0;
}

LRESULT MainDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  if (id >= IDC_MELODY1 && id <= IDC_MELODY4 && id - IDC_MELODY1 != currentMelody_)
    SwitchMelody(id - IDC_MELODY1);
  switch (id) {
    case IDOK:
      Save();
      return 0;
    case IDCANCEL:
      OnClose(1);
      return 0;
    case IDC_LOAD: Load(); break;
    case IDC_COM: NextPort(); break;
    case IDC_START: Start(); break;
    case IDC_POWER: Power(); break;
    default: break;
  }
  DialogBase::OnCommand(wParam, lParam);
  return 0;
}

void MainDialog::StoreTextBuffer(HWND dialog, int textControlId, int k) {
  if (k < 0 || k > 3) {
    LogError("EraseTextBuffer(%d),error code: %d", k, static_cast<int>(GetLastError()));
    return;
  }
  GetDlgItemTextA(dialog, textControlId, Melodies().MelodyText(k), kMelodyTextSize);
  // The whole tempo text: one shown with more digits than can be typed
  // comes back unchanged.
  HWND tempoEdit = GetDlgItem(dialog, IDC_TEMPO);
  std::string tempo(static_cast<size_t>(GetWindowTextLengthA(tempoEdit)) + 1, '\0');
  GetWindowTextA(tempoEdit, &tempo[0], static_cast<int>(tempo.size()));
  Melodies().MelodyTempo(k) = ParseTempoText(tempo.c_str());
}

void MainDialog::ShowTextBuffer(HWND dialog, int textControlId, int k) {
  if (k < 0 || k > 3) {
    LogError("EraseTextBuffer(%d),error code: %d", k, static_cast<int>(GetLastError()));
    return;
  }
  SetDlgItemTextA(dialog, textControlId, Melodies().MelodyText(k));
  SetDlgItemTextA(dialog, IDC_TEMPO, TempoText(Melodies().MelodyTempo(k)).c_str());
}

void MainDialog::SwitchMelody(int k) {
  StoreTextBuffer(window_, IDC_MELODY_TEXT, currentMelody_);
  currentMelody_ = k;
  ShowTextBuffer(window_, IDC_MELODY_TEXT, currentMelody_);
}

void MainDialog::Save() {
  StoreTextBuffer(window_, IDC_MELODY_TEXT, currentMelody_);
  const char* path = SaveFileDialog(window_, IDS_FILE_FILTER, "bin");
  if (!*path) return;
  if (IsBlockFileName(path)) {
    Melodies().EncodeAll();
    Melodies().ExportBlock(path);
  } else {
    Melodies().SaveProject(path);
  }
}

void MainDialog::Load() {
  const char* path = OpenFileDialog(window_, IDS_FILE_FILTER, "bmt");
  if (!*path) return;
  if (!IsProjectFileName(path)) {
    ResMessageBox(window_, IDS_LOAD_ERROR_TEXT, IDS_LOAD_ERROR_CAPTION, MB_OK);
    return;
  }
  if (!Melodies().LoadProject(path)) return;
  Melodies().ClearBlockImage();
  currentMelody_ = 0;
  SendDlgItemMessageA(window_, IDC_MELODY2, BM_SETCHECK, 0, 0);
  SendDlgItemMessageA(window_, IDC_MELODY3, BM_SETCHECK, 0, 0);
  SendDlgItemMessageA(window_, IDC_MELODY4, BM_SETCHECK, 0, 0);
  SendDlgItemMessageA(window_, IDC_MELODY1, BM_SETCHECK, 1, 0);
  ShowTextBuffer(window_, IDC_MELODY_TEXT, 0);
}

void MainDialog::NextPort() {
  portIndex_ = NextPortIndex(portIndex_);
  SetItemText(IDC_COM, PortCaption(portIndex_).c_str());
}

void MainDialog::SetItemTextFromId(int controlId, int stringId) {
  if (!closing_) WindowBase::SetItemTextFromId(controlId, stringId);
}

void MainDialog::SetItemText(int controlId, const char* text) {
  if (!closing_) WindowBase::SetItemText(controlId, text);
}

void MainDialog::EnableItem(int controlId, int enable) {
  if (!closing_) WindowBase::EnableItem(controlId, enable);
}
