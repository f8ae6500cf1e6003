#pragma once
// The three things the user asks of the phone: write the melodies (Start),
// switch it off, switch it on. Shared by the dialog and the command line;
// both see a job only through its PhoneJobView.
#include <atomic>
#include <cstdint>

#include "link/PhoneJobView.h"
#include "link/SerialPort.h"

class EncodeObserver;

constexpr int kUploadImageSize = 2408;
constexpr uint16_t kMelodyBlockId = 5071;

// "Error open: СОМ%d", its СОМ in Cyrillic (code page 1251).
constexpr const char* kOpenErrorFormat = "Error open: \xD1\xCE\xCC%d";

// How a job ended; the view has been told in its own words already.
enum class PhoneJobResult {
  Succeeded,        // 109, 114 or 119 shown
  Busy,             // another job holds the port: nothing done, nothing shown
  Cancelled,        // told to stop before it changed the phone: no block
                    // written, no power-off asked, no boot code taken
  CancelledWriting, // told to stop mid-write: the block was closed, incomplete
  PortNotOpened,
  PhoneSilent,      // no answer after the service-mode entry (112)
  InfoQueryFailed,  // the block information query got no answer (108 stays)
  SizeDiffers,      // 106
  WriteFailed,      // 110
  SwitchOffFailed,  // 115
  SwitchOnFailed,   // 120
};

// Told of each data chunk of the upload as the block write deals with it.
using UploadProgress = BlockWriteObserver;

// Everything the upload needs, owned by whoever starts it and kept alive
// until UploadJob returns.
struct UploadRequest {
  PhoneJobView* view = nullptr;
  int portIndex = 0;                     // COM1 + portIndex
  uint8_t image[kUploadImageSize] = {};  // snapshot taken right after encoding
  // Set: no new exchange starts (a block write in progress still sends the
  // frames that close the block, within about a second), the port is
  // closed, and the job makes no more view calls (a call that had already
  // begun may still be finishing, so the dialog must keep its messages
  // flowing until the job has ended).
  std::atomic<bool>* cancel = nullptr;
  UploadProgress* progress = nullptr;  // optional
  bool portReserved = false;           // PrepareUpload took the job lock for it
};

// Only one job at a time may use the phone port. UploadJob and PowerCommand
// take this lock themselves and refuse (Busy, without touching the port or
// the view) while another job holds it; PrepareUpload takes it early for the
// upload that it prepares.
bool TryBeginPhoneJob();
void EndPhoneJob();
bool PhoneJobRunning();

// The Start button's own part, on the dialog's thread: reserves the port,
// encodes the four melodies as the melody set holds them and takes the
// snapshot of the block image into request.image. False (nothing encoded)
// while another job runs. If the upload then cannot be started, call
// ReleaseUpload.
bool PrepareUpload(UploadRequest& request, EncodeObserver* observer = nullptr);
void ReleaseUpload(UploadRequest& request);

// Writes request.image into block 5071 of the phone on COM(portIndex + 1).
// The dialog runs it on a worker thread of its own, the command inline.
PhoneJobResult UploadJob(UploadRequest& request);

// The phone is taken to be on (the power button offers "Power Off"). Only
// the power command changes it.
extern int PhoneOn;

// What the power command may be given beyond its view and port; the
// dialog gives none.
struct PowerOptions {
  // Set: no new exchange starts (as UploadRequest::cancel), the port is
  // closed, and the job ends as Cancelled unless the phone had already
  // done what was asked.
  std::atomic<bool>* cancel = nullptr;
  BootAttemptObserver* bootAttempts = nullptr;  // told of each power-on attempt
};

// The power button: PowerOffJob when PhoneOn, else PowerOnJob, with the
// captions, status texts and 4000 ms pauses (PhoneJobView::PauseForReading)
// of each outcome.
PhoneJobResult PowerCommand(PhoneJobView& view, int portIndex, const PowerOptions& options = {});

// The power command's two branches; the caller holds the job lock.
// PowerOffJob shows nothing itself.
PhoneJobResult PowerOffJob(int portIndex, std::atomic<bool>* cancel = nullptr);
PhoneJobResult PowerOnJob(PhoneJobView& view, int portIndex, const PowerOptions& options = {});
