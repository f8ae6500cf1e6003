// The far end for the serial tests under Wine: a pty whose slave path it
// prints on the first line of its output. What the port under test sends is
// kept as data, except commands, which start with the bytes 01 FE (nowhere
// else in the tests' data) and end with a line feed:
//   S <ms> <hex>  put the bytes on the line <ms> ms after the command came
//   R             answer "R <count>\n" and the data kept since the last R
//   L             answer "L <baud> <parity> <dtr> <rts> <dtr rises> <dtr falls>\n"
//                 (dtr/rts 1, 0 or -1 for unknown; edges since the last L)
//   C             drop the pending sends and the data kept; answer "C\n"
// Answers start with 01 FE too, so the test can skip what came before them.
// Usage: serial-peer EVENTS-PATH. Runs until killed.
#include <cstdio>
#include <map>
#include <sstream>
#include <string>

#include "sim/posix/PtyLine.h"
#include "sys/posix/Tty.h"

namespace {

const std::string kMarker = "\x01\xFE";

class Peer {
 public:
  explicit Peer(sim::PtyLine& line) : line_(line) {}

  bool Run() {
    for (;;) {
      char chunk[4096];
      int n = line_.Read(chunk, sizeof chunk, MsToNextSend());
      if (n < 0) return false;
      for (const sim::LineEvent& event : line_.TakeEvents()) {
        if (event.kind == sim::LineEvent::Kind::Dtr) ++(event.level ? rises_ : falls_);
      }
      pending_.append(chunk, n);
      if (!TakeCommands() || !SendWhatIsDue()) return false;
    }
  }

 private:
  int MsToNextSend() const {
    if (sends_.empty()) return -1;
    uint64_t now = sys::tty::MonotonicUs(), due = sends_.begin()->first;
    return due <= now ? 0 : static_cast<int>((due - now + 999) / 1000);
  }

  // Moves what came before each whole command to the data kept, and obeys
  // the command; a marker's first byte at the end may start the next one.
  bool TakeCommands() {
    for (;;) {
      size_t at = pending_.find(kMarker), end = pending_.find('\n', at);
      if (at == std::string::npos) at = pending_.size() - (!pending_.empty() && pending_.back() == kMarker[0]);
      data_ += pending_.substr(0, at);
      pending_.erase(0, at);
      if (pending_.size() <= kMarker.size() || end == std::string::npos) return true;
      std::string command = pending_.substr(kMarker.size(), end - at - kMarker.size());
      pending_.erase(0, end - at + 1);
      if (!Obey(command)) return false;
    }
  }

  bool Obey(const std::string& command) {
    std::istringstream in(command);
    std::string op, hex;
    unsigned afterMs = 0;
    in >> op;
    if (op == "S" && in >> afterMs >> hex) {
      std::string bytes;
      for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), 0, 16));
      sends_.emplace(sys::tty::MonotonicUs() + uint64_t{afterMs} * 1000, bytes);
      return true;
    }
    if (op == "R") {
      std::string answer = kMarker + "R " + std::to_string(data_.size()) + "\n" + data_;
      data_.clear();
      return Send(answer);
    }
    if (op == "L") {
      sim::LineSettings settings = line_.Settings();
      char status[96];
      std::snprintf(status, sizeof status, "L %u %c %d %d %d %d\n", settings.baud, settings.parity, settings.dtr,
                    settings.rts, rises_, falls_);
      rises_ = falls_ = 0;
      return Send(kMarker + status);
    }
    if (op == "C") {
      sends_.clear();
      data_.clear();
      return Send(kMarker + "C\n");
    }
    std::fprintf(stderr, "serial-peer: unknown command \"%s\"\n", command.c_str());
    return true;
  }

  bool SendWhatIsDue() {
    uint64_t now = sys::tty::MonotonicUs();
    while (!sends_.empty() && sends_.begin()->first <= now) {
      if (!Send(sends_.begin()->second)) return false;
      sends_.erase(sends_.begin());
    }
    return true;
  }

  bool Send(const std::string& bytes) {
    return line_.Write(bytes.data(), bytes.size(), 5000) == static_cast<int>(bytes.size());
  }

  sim::PtyLine& line_;
  std::string pending_, data_;
  std::multimap<uint64_t, std::string> sends_;  // by due time; equal times keep their order
  int rises_ = 0, falls_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  sim::PtyLine line;
  if (argc != 2 || !line.Open() || !line.FollowLineEvents(argv[1])) {
    std::perror("serial-peer");
    return 1;
  }
  std::printf("%s\n", line.SlavePath().c_str());
  std::fflush(stdout);
  Peer peer(line);
  peer.Run();
  std::perror("serial-peer: line");
  return 1;
}
