#pragma once
// The three things the user asks of the phone: write the melodies (Start),
// switch it off, switch it on. Shared by the dialog and the command line.
#include <atomic>
#include <cstdint>

#include "link/PhoneJobView.h"

constexpr int kUploadImageSize = 2408;

// Told of each data chunk as the block write deals with it (command line).
class UploadProgress {
 public:
  virtual ~UploadProgress() = default;
  virtual void OnChunk(int offset, int length, int size, bool taken) = 0;
};

// Everything the upload needs, owned by whoever starts it and kept alive
// until UploadJob returns.
struct UploadRequest {
  PhoneJobView* view = nullptr;
  int portIndex = 0;                         // COM1 + portIndex
  uint8_t image[kUploadImageSize] = {};      // snapshot taken right after encoding
  std::atomic<bool>* cancel = nullptr;       // set: stop at the next frame
  UploadProgress* progress = nullptr;        // optional
};

// Only one job at a time may use the phone port. Every job entry below
// takes this lock itself and refuses (without touching the port) when a job
// holds it; a caller that must reserve the port earlier (Start, before its
// worker thread runs) takes it first and hands it over with the request.
bool TryBeginPhoneJob();
void EndPhoneJob();
bool PhoneJobRunning();
