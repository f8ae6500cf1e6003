#include "link/PhoneJobs.h"

#include "base/TextString.h"
#include "diag/ErrorLog.h"
#include "sys/Clock.h"
#include "sys/SystemInfo.h"
#include "texts/ControlIds.h"
#include "texts/StringIds.h"

int PhoneOn = 1;

namespace {

constexpr unsigned kBootAttempts = 10;
constexpr uint32_t kStatusPauseMs = 4000;
constexpr int kPhoneButtons[] = {IDC_COM, IDC_START, IDC_POWER};

// A job's failure in the error log, so that a user who sends the log can be
// helped: the job, its port and what went wrong where. The error code is the
// system's last, which says something only where a system call failed.
void LogJobFailure(const char* job, int portIndex, const char* what) {
  LogError("%s(COM%d, %s),error code: %d", job, portIndex + 1, what, static_cast<int>(sys::LastError()));
}

void LogOpenFailure(int portIndex, unsigned error) {
  LogError("ComOpen(COM%d),error code: %d", portIndex + 1, static_cast<int>(error));
}

// The upload's reports. Once the upload is told to stop, the view may be on
// its way out: nothing more reaches it (nor the progress observer).
class UploadReporter : public BlockWriteObserver {
 public:
  explicit UploadReporter(const UploadRequest& request)
      : view_(request.view), progress_(request.progress), cancel_(request.cancel), portIndex_(request.portIndex) {}

  bool Stopped() const { return cancel_ && cancel_->load(); }

  void Show(int stringId) {
    if (view_ && !Stopped()) view_->SetItemTextFromId(IDC_STATUS, stringId);
  }
  void ShowText(const char* text) {
    if (view_ && !Stopped()) view_->SetItemText(IDC_STATUS, text);
  }
  void PortNotOpened() {
    if (view_ && !Stopped()) view_->OnPortNotOpened();
  }
  void EnableButtons(int enable) {
    for (int id : kPhoneButtons)
      if (view_ && !Stopped()) view_->EnableItem(id, enable);
  }
  void OnChunk(const ChunkReport& chunk) override {
    if (chunk.taken) ++chunksTaken_;
    if (!chunk.taken) {
      TextString what;
      what.Format("the chunk at %d of %d not taken after %d sends, %d of them refused", chunk.offset, chunk.size,
                  chunk.sends, chunk.refusals);
      Log(what.Text());
    }
    if (progress_ && !Stopped()) progress_->OnChunk(chunk);
  }
  void Log(const char* what) const { LogJobFailure("UploadJob", portIndex_, what); }
  // Whether the phone's block has been changed at all.
  bool Wrote() const { return chunksTaken_ > 0; }

 private:
  PhoneJobView* view_;
  UploadProgress* progress_;
  std::atomic<bool>* cancel_;
  int portIndex_;
  int chunksTaken_ = 0;
};

// From the open port to the last status text; the caller closes the port.
PhoneJobResult TalkToPhone(SerialPort& port, UploadRequest& request, UploadReporter& report) {
  report.Show(IDS_CONNECTING);
  // The service-mode entry is made even for a phone that already answers.
  port.PingPhone();
  port.EnterServiceMode();
  if (!port.PingPhone()) {
    if (!report.Stopped()) report.Log("no answer to the ping after the service-mode entry");
    report.Show(IDS_PHONE_SILENT);
    return PhoneJobResult::PhoneSilent;
  }
  report.EnableButtons(0);
  report.Show(IDS_CONNECTED);

  uint16_t length = 0;
  uint8_t infoByte = 0;
  if (!port.QueryBlockInfo(kMelodyBlockId, &length, &infoByte)) {
    // It answered the ping but not this: it is not answering any more.
    if (!report.Stopped()) report.Log("no answer to the information query of block 5071");
    report.Show(IDS_PHONE_SILENT);
    return PhoneJobResult::InfoQueryFailed;
  }
  if (length != kUploadImageSize) {
    TextString what;
    what.Format("block 5071 is %d bytes long, not %d", length, kUploadImageSize);
    report.Log(what.Text());
    report.Show(IDS_SIZE_DIFFERS);
    return PhoneJobResult::SizeDiffers;
  }
  report.Show(IDS_WRITING);
  const int reached =
      port.WriteBlock(kMelodyBlockId, kUploadImageSize, infoByte, request.image, &report);
  if (reached != kUploadImageSize) {
    report.Show(IDS_WRITE_FAILED);
    return PhoneJobResult::WriteFailed;
  }
  report.Show(IDS_WRITTEN);
  return PhoneJobResult::Succeeded;
}

void ShowStatus(PhoneJobView& view, int stringId) {
  view.SetItemTextFromId(IDC_STATUS, stringId);
}

void ShowCaption(PhoneJobView& view, int stringId) {
  view.SetItemTextFromId(IDC_POWER, stringId);
}

bool Stopped(const std::atomic<bool>* cancel) { return cancel && cancel->load(); }

}  // namespace

void PhoneJobView::PauseForReading(uint32_t ms) { sys::Sleep(ms); }

PhoneJobResult UploadJob(UploadRequest& request) {
  if (!request.portReserved && !TryBeginPhoneJob()) return PhoneJobResult::Busy;
  request.portReserved = false;

  UploadReporter report(request);
  SerialPort& port = PhonePort;
  PhoneJobResult result;
  if (!port.ComOpen(request.portIndex, kServiceBaud)) {
    LogOpenFailure(request.portIndex, sys::LastError());
    report.PortNotOpened();
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

PhoneJobResult PowerOffJob(int portIndex, std::atomic<bool>* cancel) {
  SerialPort& port = PhonePort;
  if (!port.ComOpen(portIndex, kServiceBaud)) {
    LogOpenFailure(portIndex, sys::LastError());
    return PhoneJobResult::PortNotOpened;
  }
  port.SetStopFlag(cancel);
  if (!port.PingPhone()) {
    port.EnterServiceMode();
    port.PingPhone();
  }
  // Sent also when the phone stayed silent: it may be listening all the same.
  const uint32_t sendsBefore = port.LastSendId();
  const int confirmed = port.RequestPowerOff();
  const bool asked = port.LastSendId() != sendsBefore;
  PhoneJobResult result = confirmed ? PhoneJobResult::Succeeded : PhoneJobResult::SwitchOffFailed;
  if (!confirmed && !asked && Stopped(cancel))
    result = PhoneJobResult::Cancelled;
  else if (!confirmed)
    LogJobFailure("PowerOffJob", portIndex, "the power-off was not confirmed");
  port.SetStopFlag(nullptr);
  port.ComClose();
  return result;
}

PhoneJobResult PowerOnJob(PhoneJobView& view, int portIndex, const PowerOptions& options) {
  SerialPort& port = PhonePort;
  if (!port.ComOpen(portIndex, kServiceBaud)) {
    LogOpenFailure(portIndex, sys::LastError());
    view.OnPortNotOpened();
    return PhoneJobResult::PortNotOpened;
  }
  ShowStatus(view, IDS_PRESS_POWER_KEY);
  port.SetStopFlag(options.cancel);
  PhoneJobResult result;
  if (port.BootPowerOn(kBootAttempts, options.bootAttempts)) {
    PhoneOn = 1;
    ShowStatus(view, IDS_SWITCHING_ON);
    view.PauseForReading(kStatusPauseMs);
    ShowStatus(view, IDS_READ_AGAIN);
    result = PhoneJobResult::Succeeded;
  } else if (Stopped(options.cancel)) {
    result = PhoneJobResult::Cancelled;
  } else {
    LogJobFailure("PowerOnJob", portIndex, "no boot handshake in 10 attempts");
    ShowStatus(view, IDS_SWITCH_ON_FAILED);
    result = PhoneJobResult::SwitchOnFailed;
  }
  // The caption says what the next press does: switch off a phone that is
  // on now, or try again to switch this one on.
  ShowCaption(view, PhoneOn ? IDS_POWER_OFF_CAPTION : IDS_POWER_ON_CAPTION);
  port.SetStopFlag(nullptr);
  port.ComClose();
  return result;
}

PhoneJobResult PowerCommand(PhoneJobView& view, int portIndex, const PowerOptions& options) {
  if (!TryBeginPhoneJob()) return PhoneJobResult::Busy;
  PhoneJobResult result;
  if (PhoneOn) {
    result = PowerOffJob(portIndex, options.cancel);
    if (result == PhoneJobResult::Succeeded) {
      PhoneOn = 0;
      ShowCaption(view, IDS_POWER_ON_CAPTION);
      ShowStatus(view, IDS_SWITCHING_OFF);
    } else if (result != PhoneJobResult::Cancelled) {
      // A port that cannot be opened reads as a failed switch-off.
      if (result == PhoneJobResult::PortNotOpened) view.OnPortNotOpened();
      ShowCaption(view, IDS_POWER_OFF_CAPTION);
      ShowStatus(view, IDS_SWITCH_OFF_FAILED);
      view.PauseForReading(kStatusPauseMs);
      ShowStatus(view, IDS_READ_AGAIN);
    }
  } else {
    result = PowerOnJob(view, portIndex, options);
  }
  EndPhoneJob();
  return result;
}
