#pragma once
// What the phone jobs need of whoever shows them: the dialog (its controls)
// or the command line (its output). Control IDs are those of the dialog
// (texts/ControlIds.h), string IDs those of the string table
// (texts/StringIds.h).

class PhoneJobView {
 public:
  virtual ~PhoneJobView() = default;
  // A control's text from the string table (IDs 103 to 123).
  virtual void SetItemTextFromId(int controlId, int stringId) = 0;
  // A control's text as given (code page 1251).
  virtual void SetItemText(int controlId, const char* text) = 0;
  virtual void EnableItem(int controlId, int enable) = 0;
};
