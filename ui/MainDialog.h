#pragma once
// The program's one window: four melodies with their tempos, Save and Load,
// the COM port, and the phone buttons. The melodies themselves live in the
// MelodySet; the edits hold a working copy of the current one.
#include <atomic>
#include <memory>

#include "link/PhoneJobView.h"
#include "ui/DialogBase.h"

struct UploadRequest;

class MainDialog : public DialogBase, public PhoneJobView {
 public:
  MainDialog();
  ~MainDialog() override;

  LRESULT OnClose(int code) override;
  LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnInitDialog() override;

  // Melody k's text and tempo between the edits and the MelodySet.
  void StoreTextBuffer(HWND dialog, int textControlId, int k);
  void ShowTextBuffer(HWND dialog, int textControlId, int k);

  // The phone jobs' view. Called from the upload worker too; once the
  // dialog is closing they no longer reach the window.
  void SetItemTextFromId(int controlId, int stringId) override;
  void SetItemText(int controlId, const char* text) override;
  void EnableItem(int controlId, int enable) override;

  // Stops a running upload before its next chunk (a block it opened is
  // still closed, within about a second) and waits for its thread, still
  // serving the control calls it makes meanwhile.
  void StopUpload();

 private:
  void Save();
  void Load();
  void SwitchMelody(int k);
  void NextPort();
  void Start();
  void Power();
  bool UploadRunning() const;
  static DWORD WINAPI UploadThread(LPVOID dialog);
  static DWORD WINAPI PowerThread(LPVOID dialog);

  int currentMelody_ = 0;
  int portIndex_ = 0;
  bool powerRunning_ = false;  // window thread only
  int closeAfterPower_ = -1;   // a close that came while it ran
  std::atomic<bool> closing_{false};
  std::atomic<bool> cancelUpload_{false};
  std::unique_ptr<UploadRequest> upload_;
  HANDLE uploadThread_ = nullptr;
};
