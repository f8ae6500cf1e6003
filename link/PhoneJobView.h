#pragma once
// What the phone jobs need of whoever shows them: the dialog (its controls)
// or the command line (its output). Control IDs are those of the dialog
// (texts/ControlIds.h), string IDs those of the string table
// (texts/StringIds.h).
#include <cstdint>

class PhoneJobView {
 public:
  virtual ~PhoneJobView() = default;
  // A control's text from the string table (IDs 103 to 123).
  virtual void SetItemTextFromId(int controlId, int stringId) = 0;
  // A control's text as given (code page 1251).
  virtual void SetItemText(int controlId, const char* text) = 0;
  virtual void EnableItem(int controlId, int enable) = 0;
  // The port could not be opened (no such device, in use, not a serial
  // port). Told before the job shows it in its own words, so that a view
  // that says it otherwise (the command names the device and the reason)
  // can leave those out. The dialog shows the job's words.
  virtual void OnPortNotOpened() {}
  // A status text stays this long before the next replaces it, so that it
  // is read. The dialog's one status line needs that: by default the job
  // waits. A view that keeps every text (the command prints each on a line
  // of its own) goes on at once.
  virtual void PauseForReading(uint32_t ms);
};
