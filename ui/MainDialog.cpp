#include "ui/MainDialog.h"

#include <commctrl.h>

#include <string>

#include "diag/ErrorLog.h"
#include "link/PhoneJobs.h"
#include "melody/MelodySet.h"
#include "texts/ControlIds.h"
#include "texts/StringIds.h"
#include "ui/DialogRules.h"
#include "ui/FileDialogs.h"
#include "ui/ResourceStrings.h"

namespace {
constexpr int kTempoEditLimit = 3;
constexpr LPARAM kTempoArrowRange = 0x200;  // maximum 512 (low word), minimum 0
}  // namespace

MainDialog::MainDialog() = default;

MainDialog::~MainDialog() { StopUpload(); }

LRESULT MainDialog::OnInitDialog() {
  CenterWindow();
  SetTitleFromId(IDS_TITLE);
  SendDlgItemMessageA(window_, IDC_MELODY1, BM_SETCHECK, 1, 0);
  // What can be typed is what a melody keeps: its buffer and the NUL.
  SendDlgItemMessageA(window_, IDC_MELODY_TEXT, EM_LIMITTEXT, kMelodyTextSize - 1, 0);
  SendDlgItemMessageA(window_, IDC_TEMPO, EM_LIMITTEXT, kTempoEditLimit, 0);
  SendDlgItemMessageA(window_, IDC_TEMPO_ARROWS, UDM_SETRANGE, 1, kTempoArrowRange);
  SetDlgItemInt(window_, IDC_TEMPO, kDefaultTempo, FALSE);
  SetItemText(IDC_STATUS, "-=Ready=-");
  return 1;
}

LRESULT MainDialog::OnClose(int code) {
  // A power job holds the dialog as it always has; a close sent meanwhile
  // waits for it to end.
  if (powerRunning_) {
    closeAfterPower_ = code;
    return 0;
  }
  // The worker must be gone before the window and this object are.
  closing_ = true;
  StopUpload();
  EndDialog(window_, code);
  PostQuitMessage(code);
  return 0;
}

LRESULT MainDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  // While a power job runs the dialog answers no buttons, as before: only
  // a close is kept for its end.
  if (powerRunning_) {
    if (id == IDCANCEL) OnClose(1);
    return 0;
  }
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
  // The file dialog's buffer is shared: keep the path.
  const std::string path = SaveFileDialog(window_, IDS_FILE_FILTER, "bin");
  if (path.empty()) return;
  const bool block = IsBlockFileName(path.c_str());
  if (block) Melodies().EncodeAll();
  // Either the file is written whole or the old one stays: but the user
  // must know which.
  if ((block ? Melodies().ExportBlock(path.c_str()) : Melodies().SaveProject(path.c_str())) == 1) return;
  const unsigned error = GetLastError();
  LogError(block ? "ExportBlock(%s),error code: %d" : "SaveProject(%s),error code: %d", path.c_str(),
           static_cast<int>(error));
  FileErrorBox(window_, IDS_SAVE_FAILED, path.c_str(), error);
}

void MainDialog::Load() {
  const std::string path = OpenFileDialog(window_, IDS_FILE_FILTER, "bmt");
  if (path.empty()) return;
  if (!IsProjectFileName(path.c_str())) {
    ResMessageBox(window_, IDS_NOT_A_PROJECT, IDS_ERROR_CAPTION, MB_OK);
    return;
  }
  // What is not a whole project changes nothing: the melodies stay.
  const int loaded = Melodies().LoadProject(path.c_str());
  if (loaded != 1) {
    const unsigned error = GetLastError();
    if (loaded == 0) {
      LogError("LoadProject(%s),error code: %d", path.c_str(), static_cast<int>(error));
      FileErrorBox(window_, IDS_OPEN_FAILED, path.c_str(), error);
    } else {
      // Read well enough: no system error to tell.
      LogError("LoadProject(%s, not a project),error code: %d", path.c_str(), 0);
      ResMessageBox(window_, IDS_NOT_A_PROJECT, IDS_ERROR_CAPTION, MB_OK);
    }
    return;
  }
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
