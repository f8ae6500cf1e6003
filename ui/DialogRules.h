#pragma once
// The dialog's decisions that need no window: which commands close a dialog,
// where a centred window goes, which kind of file a chosen path names, how
// the tempo edit's text becomes a tempo and back, and the COM button's cycle.
#include <cstdint>
#include <string>

// A dialog's OnCommand closes it only for the whole values IDOK (1) and
// IDCANCEL (2): a notification code in the high word keeps it open.
bool IsCloseCommand(uintptr_t wParam);

struct Point {
  int x, y;
};
// Top-left corner of a window of ownWidth x ownHeight centred in a reference
// of refWidth x refHeight, relative to the reference's origin. Each half is
// a signed division that truncates toward zero.
Point CenteredOrigin(int refWidth, int refHeight, int ownWidth, int ownHeight);

// Save writes a block file when the chosen file's name holds ".bin", else a
// project; Load accepts only names holding ".bmt". Both tests are
// case-sensitive and look at the file name alone, so a folder named like
// "old.bin.d" or "x.bmt" does not decide what is written or read.
bool IsBlockFileName(const char* path);
bool IsProjectFileName(const char* path);

// The tempo edit's text as a tempo: leading blanks, an optional sign, then
// digits up to the first other character (0 without digits), held to
// 0..65535.
uint16_t ParseTempoText(const char* text);
// The tempo as the edit shows it: every digit, so that reading it back
// gives the same value.
std::string TempoText(uint16_t tempo);

// COM1 to COM4: the index after portIndex, and the button's caption for it.
int NextPortIndex(int portIndex);
std::string PortCaption(int portIndex);

// A file-dialog filter from its string-table form: every '|' becomes a NUL,
// up to the text's own end (the trailing "||" gives the closing double NUL).
void FilterBarsToNuls(char* text);
