#pragma once
// The process's standard streams as the commands use them: "-" for a file,
// and a terminal for progress lines.
#include <istream>
#include <ostream>

// True when stream is the process's standard output or error and that is
// a terminal.
bool IsTerminal(const std::ostream& stream);

// Makes the process's standard input or output pass bytes unchanged
// (Windows would read CR LF as LF and write LF as CR LF); any other stream
// is left alone.
void PassBytesUnchanged(std::istream& stream);
void PassBytesUnchanged(std::ostream& stream);
