// The dialog's phone buttons: Start runs the upload on a worker thread of
// its own, the power button runs on the window thread. The job lock keeps a
// second job off the port while one runs.
#include "diag/ErrorLog.h"
#include "link/PhoneJobs.h"
#include "ui/MainDialog.h"

bool MainDialog::UploadRunning() const {
  return uploadThread_ && WaitForSingleObject(uploadThread_, 0) == WAIT_TIMEOUT;
}

void MainDialog::Start() {
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
  // The worker's control calls are sent to this thread: serve them while
  // waiting, or both would wait for each other.
  for (;;) {
    DWORD woke = MsgWaitForMultipleObjects(1, &uploadThread_, FALSE, INFINITE, QS_SENDMESSAGE);
    if (woke != WAIT_OBJECT_0 + 1) break;
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  CloseHandle(uploadThread_);
  uploadThread_ = nullptr;
}

void MainDialog::Power() { PowerCommand(*this, portIndex_); }
