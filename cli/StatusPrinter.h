#pragma once
// How the phone commands show a job. Each status text gets a line of its
// own: the program's Russian text as the dialog shows it, the same in
// English beside it, and, where the job leaves the user something to do,
// the command to run next. Progress (the upload's chunks, the power-on's
// attempts) goes on one line that is rewritten in place, and only to a
// terminal.
#include <ostream>
#include <string>

#include "link/PhoneJobs.h"

class StatusPrinter : public PhoneJobView, public UploadProgress, public BootAttemptObserver {
 public:
  // out takes the status lines; progress (nullptr: none) the progress
  // line. port is the port as the user named it, for the next command.
  StatusPrinter(std::ostream& out, std::ostream* progress, const std::string& port);

  void SetItemTextFromId(int controlId, int stringId) override;
  void SetItemText(int controlId, const char* text) override;
  void EnableItem(int, int) override {}
  // Each text has a line of its own: nothing needs time to be read.
  void PauseForReading(uint32_t) override {}
  // The command says why itself, naming the device: the job's own texts
  // for it (the dialog's "Error open: СОМn", a failed power-off) are left
  // out from here on.
  void OnPortNotOpened() override { muted_ = true; }

  void OnChunk(const ChunkReport& chunk) override;
  void OnBootAttempt(unsigned attempt, unsigned attempts) override;

  // Ends a progress line still open, so that what follows starts on a line
  // of its own.
  void EndProgress();

 private:
  void PrintStatus(const std::string& text, const char* english, const std::string& next);
  void ShowProgress(const std::string& text);

  std::ostream& out_;
  std::ostream* progress_;
  std::string port_;
  bool progressOpen_ = false;
  bool muted_ = false;
  int chunks_ = 0;
  int lost_ = 0;
};
