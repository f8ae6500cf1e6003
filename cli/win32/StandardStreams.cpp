#include "cli/StandardStreams.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>

bool IsTerminal(const std::ostream& stream) {
  if (&stream == &std::cout) return _isatty(1);
  if (&stream == &std::cerr) return _isatty(2);
  return false;
}

void PassBytesUnchanged(std::istream& stream) {
  if (&stream == &std::cin) _setmode(_fileno(stdin), _O_BINARY);
}

void PassBytesUnchanged(std::ostream& stream) {
  if (&stream != &std::cout) return;
  std::cout.flush();
  _setmode(_fileno(stdout), _O_BINARY);
}
