// The dialog's phone buttons: Start runs the upload on a worker thread of
// its own; the power button's job runs on one too, while the window thread
// waits for it. The job lock keeps a second job off the port while one runs.
#include "diag/ErrorLog.h"
#include "link/PhoneJobs.h"
#include "texts/ControlIds.h"
#include "ui/MainDialog.h"

namespace {

// Waits for a worker to end, serving meanwhile the messages other threads
// send to this one (the worker's control calls arrive so; not serving them
// would have both wait for each other) and, with paint, repainting this
// thread's windows. Nothing else is taken from the queue: the user's input
// waits for the end, as it would for a busy window.
void WaitForWorker(HANDLE worker, bool paint) {
  const DWORD wake = QS_SENDMESSAGE | (paint ? QS_PAINT : 0);
  while (MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, wake) == WAIT_OBJECT_0 + 1) {
    MSG message;
    if (!paint) {
      PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
      continue;
    }
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT)) DispatchMessageA(&message);
  }
}

}  // namespace

bool MainDialog::UploadRunning() const {
  return uploadThread_ && WaitForSingleObject(uploadThread_, 0) == WAIT_TIMEOUT;
}

void MainDialog::Start() {
  // What is on screen is what goes to the phone, as Save takes it.
  StoreTextBuffer(window_, IDC_MELODY_TEXT, currentMelody_);
  // The running worker still reads its request: leave it alone.
  if (UploadRunning()) return;
  StopUpload();  // only collects the handle of a worker that has ended
  std::unique_ptr<UploadRequest> request(new UploadRequest);
  request->view = this;
  request->portIndex = portIndex_;
  cancelUpload_ = false;
  request->cancel = &cancelUpload_;
  // Encodes the melodies as the set holds them and takes the image's
  // snapshot; refused while another job holds the port.
  if (!PrepareUpload(*request)) return;
  upload_ = std::move(request);
  uploadThread_ = CreateThread(nullptr, 0, UploadThread, this, 0, nullptr);
  if (!uploadThread_) {
    LogError("CreateThread(UploadJob),error code: %d", static_cast<int>(GetLastError()));
    ReleaseUpload(*upload_);
  }
}

DWORD WINAPI MainDialog::UploadThread(LPVOID parameter) {
  MainDialog* dialog = static_cast<MainDialog*>(parameter);
  if (dialog) UploadJob(*dialog->upload_);
  return 0;
}

void MainDialog::StopUpload() {
  if (!uploadThread_) return;
  cancelUpload_ = true;
  WaitForWorker(uploadThread_, false);
  CloseHandle(uploadThread_);
  uploadThread_ = nullptr;
}

DWORD WINAPI MainDialog::PowerThread(LPVOID parameter) {
  MainDialog* dialog = static_cast<MainDialog*>(parameter);
  if (dialog) PowerCommand(*dialog, dialog->portIndex_);
  return 0;
}

void MainDialog::Power() {
  // The dialog waits for the job, as it always has, but keeps painting: the
  // texts it shows meanwhile (press the phone's key; it failed) are seen.
  HANDLE worker = CreateThread(nullptr, 0, PowerThread, this, 0, nullptr);
  if (!worker) {
    LogError("CreateThread(PowerCommand),error code: %d", static_cast<int>(GetLastError()));
    return;
  }
  powerRunning_ = true;
  WaitForWorker(worker, true);
  CloseHandle(worker);
  powerRunning_ = false;
  if (closeAfterPower_ >= 0) OnClose(closeAfterPower_);
}
