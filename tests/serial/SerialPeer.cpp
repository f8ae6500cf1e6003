// The far end for the serial tests under Wine: a pty whose slave path it
// prints on the first line of its output, then echoes every byte it gets
// except 0x01, which asks for a status line about the line as the phone end
// sees it:
//   S <baud> <data bits> <parity> <stop bits> <dtr> <rts> <dtr rises> <dtr falls>\n
// dtr/rts are 1, 0 or -1 (unknown); the counts are of the events since the
// previous status line. Usage: serial-peer [EVENTS-PATH]. Runs until killed.
#include <cstdio>
#include <string>

#include "sim/PtyLine.h"

int main(int argc, char** argv) {
  sim::PtyLine line;
  if (!line.Open()) {
    std::perror("serial-peer: pty");
    return 1;
  }
  if (argc > 1 && !line.FollowLineEvents(argv[1])) {
    std::perror("serial-peer: events");
    return 1;
  }
  std::printf("%s\n", line.SlavePath().c_str());
  std::fflush(stdout);

  unsigned char buffer[256];
  for (;;) {
    int n = line.Read(buffer, sizeof buffer, -1);
    if (n < 0) {
      std::perror("serial-peer: read");
      return 1;
    }
    std::string reply;
    for (int i = 0; i < n; ++i) {
      if (buffer[i] != 0x01) {
        reply += static_cast<char>(buffer[i]);
        continue;
      }
      int rises = 0, falls = 0;
      for (const sim::LineEvent& event : line.TakeEvents()) {
        if (event.kind == sim::LineEvent::Kind::Dtr) ++(event.level ? rises : falls);
      }
      sim::LineSettings settings = line.Settings();
      char status[128];
      std::snprintf(status, sizeof status, "S %u %d %c %d %d %d %d %d\n", settings.baud, settings.dataBits,
                    settings.parity, settings.stopBits, settings.dtr, settings.rts, rises, falls);
      reply += status;
    }
    std::fprintf(stderr, "peer: %d bytes in, %zu out\n", n, reply.size());
    if (line.Write(reply.data(), reply.size(), 5000) != static_cast<int>(reply.size())) {
      std::perror("serial-peer: write");
      return 1;
    }
  }
}
