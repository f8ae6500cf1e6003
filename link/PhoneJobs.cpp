#include "link/PhoneJobs.h"

#include "base/TextString.h"
#include "sys/Clock.h"

int PhoneOn = 1;

namespace {

constexpr unsigned kBootAttempts = 10;
constexpr uint32_t kStatusPauseMs = 4000;
constexpr int kPhoneButtons[] = {kComButtonId, kStartButtonId, kPowerButtonId};

// The upload's reports. Once the upload is told to stop, the view may be on
// its way out: nothing more reaches it (nor the progress observer).
class UploadReporter : public BlockWriteObserver {
 public:
  explicit UploadReporter(const UploadRequest& request)
      : view_(request.view), progress_(request.progress), cancel_(request.cancel) {}

  bool Stopped() const { return cancel_ && cancel_->load(); }

  void Show(int stringId) {
    if (view_ && !Stopped()) view_->SetItemTextFromId(kStatusLineId, stringId);
  }
  void ShowText(const char* text) {
    if (view_ && !Stopped()) view_->SetItemText(kStatusLineId, text);
  }
  void EnableButtons(int enable) {
    for (int id : kPhoneButtons)
      if (view_ && !Stopped()) view_->EnableItem(id, enable);
  }
  void OnChunk(int offset, int length, int size, bool taken) override {
    if (taken) ++chunksTaken_;
    if (progress_ && !Stopped()) progress_->OnChunk(offset, length, size, taken);
  }
  // Whether the phone's block has been changed at all.
  bool Wrote() const { return chunksTaken_ > 0; }

 private:
  int chunksTaken_ = 0;
  PhoneJobView* view_;
  UploadProgress* progress_;
  std::atomic<bool>* cancel_;
};

// From the open port to the last status text; the caller closes the port.
PhoneJobResult TalkToPhone(SerialPort& port, UploadRequest& request, UploadReporter& report) {
  report.Show(kTextConnecting);
  // The service-mode entry is made even for a phone that already answers.
  port.PingPhone();
  port.EnterServiceMode();
  if (!port.PingPhone()) {
    report.Show(kTextPhoneSilent);
    return PhoneJobResult::PhoneSilent;
  }
  report.EnableButtons(0);
  report.Show(kTextConnected);

  uint16_t length = 0;
  uint8_t infoByte = 0;
  if (!port.QueryBlockInfo(kMelodyBlockId, &length, &infoByte))
    return PhoneJobResult::InfoQueryFailed;
  if (length != kUploadImageSize) {
    report.Show(kTextSizeDiffers);
    return PhoneJobResult::SizeDiffers;
  }
  report.Show(kTextWriting);
  const int reached =
      port.WriteBlock(kMelodyBlockId, kUploadImageSize, infoByte, request.image, &report);
  if (reached != kUploadImageSize) {
    report.Show(kTextWriteFailed);
    return PhoneJobResult::WriteFailed;
  }
  report.Show(kTextWritten);
  return PhoneJobResult::Succeeded;
}

void ShowStatus(PhoneJobView& view, int stringId) {
  view.SetItemTextFromId(kStatusLineId, stringId);
}

void ShowCaption(PhoneJobView& view, int stringId) {
  view.SetItemTextFromId(kPowerButtonId, stringId);
}

}  // namespace

PhoneJobResult UploadJob(UploadRequest& request) {
  if (!request.portReserved && !TryBeginPhoneJob()) return PhoneJobResult::Busy;
  request.portReserved = false;

  UploadReporter report(request);
  SerialPort& port = PhonePort;
  PhoneJobResult result;
  if (!port.ComOpen(request.portIndex, kServiceBaud)) {
    TextString text;
    text.Format(kOpenErrorFormat, request.portIndex + 1);
    report.ShowText(text.Text());
    result = PhoneJobResult::PortNotOpened;
  } else {
    port.SetStopFlag(request.cancel);
    result = TalkToPhone(port, request, report);
    port.SetStopFlag(nullptr);
    port.ComClose();
  }
  report.EnableButtons(1);
  EndPhoneJob();
  if (report.Stopped() && result != PhoneJobResult::Succeeded)
    return report.Wrote() ? PhoneJobResult::CancelledWriting : PhoneJobResult::Cancelled;
  return result;
}

PhoneJobResult PowerOffJob(int portIndex) {
  SerialPort& port = PhonePort;
  if (!port.ComOpen(portIndex, kServiceBaud)) return PhoneJobResult::PortNotOpened;
  if (!port.PingPhone()) {
    port.EnterServiceMode();
    port.PingPhone();
  }
  // Sent also when the phone stayed silent: it may be listening all the same.
  const int confirmed = port.RequestPowerOff();
  port.ComClose();
  return confirmed ? PhoneJobResult::Succeeded : PhoneJobResult::SwitchOffFailed;
}

PhoneJobResult PowerOnJob(PhoneJobView& view, int portIndex) {
  SerialPort& port = PhonePort;
  if (!port.ComOpen(portIndex, kServiceBaud)) return PhoneJobResult::PortNotOpened;
  ShowStatus(view, kTextPressPowerKey);
  PhoneJobResult result;
  if (port.BootPowerOn(kBootAttempts)) {
    PhoneOn = 1;
    ShowStatus(view, kTextSwitchingOn);
    sys::Sleep(kStatusPauseMs);
    ShowStatus(view, kTextReadAgain);
    result = PhoneJobResult::Succeeded;
  } else {
    ShowStatus(view, kTextSwitchOnFailed);
    result = PhoneJobResult::SwitchOnFailed;
  }
  ShowCaption(view, kCaptionPowerOff);
  port.ComClose();
  return result;
}

PhoneJobResult PowerCommand(PhoneJobView& view, int portIndex) {
  if (!TryBeginPhoneJob()) return PhoneJobResult::Busy;
  PhoneJobResult result;
  if (PhoneOn) {
    result = PowerOffJob(portIndex);
    if (result == PhoneJobResult::Succeeded) {
      PhoneOn = 0;
      ShowCaption(view, kCaptionPowerOn);
      ShowStatus(view, kTextSwitchingOff);
    } else {
      // A port that cannot be opened reads as a failed switch-off.
      ShowCaption(view, kCaptionPowerOff);
      ShowStatus(view, kTextSwitchOffFailed);
      sys::Sleep(kStatusPauseMs);
      ShowStatus(view, kTextReadAgain);
    }
  } else {
    result = PowerOnJob(view, portIndex);
  }
  EndPhoneJob();
  return result;
}
