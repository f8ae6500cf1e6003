// The far end for the serial tests under Wine: a pty whose slave path it
// prints on the first line of its output, then echoes every byte it gets
// except 0x01, which asks for a status line about the line as the phone end
// sees it:
//   <baud> <parity> <dtr> <rts> <dtr rises> <dtr falls>\n
// dtr/rts are 1, 0 or -1 (unknown); the counts are of the events since the
// previous status line. Usage: serial-peer EVENTS-PATH. Runs until killed.
#include <cstdio>
#include <string>

#include "sim/PtyLine.h"

int main(int argc, char** argv) {
  sim::PtyLine line;
  if (argc != 2 || !line.Open() || !line.FollowLineEvents(argv[1])) {
    std::perror("serial-peer");
    return 1;
  }
  std::printf("%s\n", line.SlavePath().c_str());
  std::fflush(stdout);

  int rises = 0, falls = 0;
  for (char byte; line.Read(&byte, 1, -1) == 1;) {
    for (const sim::LineEvent& event : line.TakeEvents()) {
      if (event.kind == sim::LineEvent::Kind::Dtr) ++(event.level ? rises : falls);
    }
    std::string reply(1, byte);
    if (byte == 0x01) {
      sim::LineSettings settings = line.Settings();
      char status[64];
      std::snprintf(status, sizeof status, "%u %c %d %d %d %d\n", settings.baud, settings.parity, settings.dtr,
                    settings.rts, rises, falls);
      reply = status;
      rises = falls = 0;
    }
    if (line.Write(reply.data(), reply.size(), 5000) != static_cast<int>(reply.size())) break;
  }
  std::perror("serial-peer: line");
  return 1;
}
