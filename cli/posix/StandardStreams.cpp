#include "cli/StandardStreams.h"

#include <unistd.h>

#include <iostream>

bool IsTerminal(const std::ostream& stream) {
  if (&stream == &std::cout) return isatty(1);
  if (&stream == &std::cerr) return isatty(2);
  return false;
}

// Streams carry bytes unchanged here.
void PassBytesUnchanged(std::istream&) {}
void PassBytesUnchanged(std::ostream&) {}
