#pragma once
// The phone's end of a serial line on a pseudo-terminal (POSIX only). The
// program under test opens the slave path as its serial port; the simulated
// phone reads and writes the master here.
//
// What the phone can learn of the program's line settings: a Linux pty keeps
// the rate (and stop bits) that the program set, but forces 8 data bits and
// drops parity, and it has no modem lines. So without help only the rate is
// known. When the program runs with the modem-line preload library
// (sim/linepreload), the library reports every DTR/RTS change and every
// tcsetattr as it was asked for; FollowLineEvents reads those reports and
// merges the ones for this pty into Settings(), in order, before handing out
// any byte that came after them. Events that come in while earlier bytes
// still wait unread are merged with those too, so read promptly: the phone
// link always waits for an answer before it changes the line again.
//
// One thread at a time.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// One line of the preload library's event stream (sim/linepreload/LineEvents.h).
struct LineEvent {
  enum class Kind { Dtr, Rts, Line };
  Kind kind = Kind::Line;
  std::string tty;
  bool level = false;  // Dtr, Rts: raised
  uint32_t baud = 0;   // Line: 0 when not one of the fixed rates
  int dataBits = 8;
  char parity = 'N';   // N, O, E, M, S
  int stopBits = 1;    // 1 or 2
};

// Parses one event line (a trailing "\n" is allowed). False for anything
// that is not exactly one event.
bool ParseLineEvent(const std::string& text, LineEvent* event);

struct LineSettings {
  uint32_t baud = 0;   // 0: unknown
  int dataBits = 0;    // 0: unknown
  char parity = '?';   // N, O, E, M, S; '?': unknown
  int stopBits = 0;    // 1 or 2; 0: unknown
  int dtr = -1;        // 1 raised, 0 dropped, -1 unknown
  int rts = -1;
};

class PtyLine {
 public:
  PtyLine() = default;
  ~PtyLine();
  PtyLine(const PtyLine&) = delete;
  PtyLine& operator=(const PtyLine&) = delete;

  // Creates the pty. The slave starts raw (no echo, no line editing, no
  // CR/LF translation) so that a program which sets only rate and format
  // still sees the phone's bytes unchanged. False, with errno, on failure.
  bool Open();
  // The path to give the program, e.g. /dev/pts/3.
  const std::string& SlavePath() const { return slavePath_; }

  // Follows the preload library's events at path: a FIFO (made if it does
  // not exist) or a plain file, read from its current end. Start this before
  // the program starts, with QUAVREL_LINE_EVENTS set to the same path.
  bool FollowLineEvents(const std::string& path);

  // Waits up to timeoutMs (-1: without limit) for bytes from the program and
  // returns those that are there, at most size; 0 when none came in time,
  // -1 (errno set) on failure. Events that arrived before the bytes are
  // merged first.
  int Read(void* buffer, size_t size, int timeoutMs);
  // Writes all bytes unless timeoutMs (-1: without limit) passes first;
  // returns the number written, -1 (errno set) on failure.
  int Write(const void* bytes, size_t count, int timeoutMs);

  // The program's line settings as far as they are known now.
  LineSettings Settings();
  // The events for this pty merged since the last call, oldest first: a DTR
  // pulse shows here even when it is over by the time the phone looks.
  std::vector<LineEvent> TakeEvents();

  // For callers that wait on several things: readable when the program sent.
  int MasterFd() const { return master_; }

 private:
  void MergeEvents();
  void Apply(const LineEvent& event);

  int master_ = -1;
  int slave_ = -1;
  int events_ = -1;
  bool eventsArePipe_ = false;
  std::string slavePath_;
  std::string pending_;  // an event line not yet complete
  bool lineReported_ = false;
  LineSettings reported_;  // what events said
  std::vector<LineEvent> taken_;
};

}  // namespace sim
