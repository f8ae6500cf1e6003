// The far end for the serial tests under Wine: a pty whose slave path it
// prints on the first line of its output. What the port under test sends is
// kept as data, except commands, which start with the bytes 01 FE (nowhere
// else in the tests' data) and end with a line feed:
//   S <ms> <hex>  put the bytes on the line <ms> ms after the command came
//   R             answer "R <count>\n" and the data kept since the last R
//   C             drop the pending sends and the data kept; answer "C\n"
// Answers start with 01 FE too, so the test can skip what came before them.
// Usage: serial-peer. Runs until killed.
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

  void Run() {
    for (;;) {
      // Sleeps until the next send is due, or until bytes come.
      int waitMs = -1;
      if (!sends_.empty()) {
        uint64_t now = sys::tty::MonotonicUs(), due = sends_.begin()->first;
        waitMs = due <= now ? 0 : static_cast<int>((due - now + 999) / 1000);
      }
      char chunk[4096];
      int n = line_.Read(chunk, sizeof chunk, waitMs);
      if (n < 0) return;
      pending_.append(chunk, n);
      if (!TakeCommands()) return;
      for (; !sends_.empty() && sends_.begin()->first <= sys::tty::MonotonicUs(); sends_.erase(sends_.begin()))
        if (!Send(sends_.begin()->second)) return;
    }
  }

 private:
  // Moves what came before each whole command to the data kept, and obeys
  // the command; a marker's first byte at the end may start the next one.
  bool TakeCommands() {
    for (;;) {
      size_t at = pending_.find(kMarker), end = pending_.find('\n', at);
      if (at == std::string::npos) at = pending_.size() - (!pending_.empty() && pending_.back() == kMarker[0]);
      data_ += pending_.substr(0, at);
      pending_.erase(0, at);
      if (pending_.size() <= kMarker.size() || end == std::string::npos) return true;
      std::istringstream command(pending_.substr(kMarker.size(), end - at - kMarker.size()));
      pending_.erase(0, end - at + 1);
      if (!Send(Obey(command))) return false;
    }
  }

  // The answer, without its marker; none to a send.
  std::string Obey(std::istringstream& in) {
    std::string op, hex, answer;
    unsigned afterMs = 0;
    in >> op;
    if (op == "S" && in >> afterMs >> hex) {
      std::string bytes;
      for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), 0, 16));
      sends_.emplace(sys::tty::MonotonicUs() + uint64_t{afterMs} * 1000, bytes);
    } else if (op == "R") {
      answer = kMarker + "R " + std::to_string(data_.size()) + "\n" + data_;
      data_.clear();
    } else if (op == "C") {
      sends_.clear(), data_.clear();
      answer = kMarker + "C\n";
    } else {
      std::fprintf(stderr, "serial-peer: unknown command \"%s\"\n", in.str().c_str());
    }
    return answer;
  }

  bool Send(const std::string& bytes) {
    return line_.Write(bytes.data(), bytes.size(), 5000) == static_cast<int>(bytes.size());
  }

  sim::PtyLine& line_;
  std::string pending_, data_;
  std::multimap<uint64_t, std::string> sends_;  // by due time; equal times keep their order
};

}  // namespace

int main() {
  sim::PtyLine line;
  if (!line.Open()) {
    std::perror("serial-peer");
    return 1;
  }
  std::printf("%s\n", line.SlavePath().c_str());
  std::fflush(stdout);
  Peer(line).Run();
  std::perror("serial-peer: line");
  return 1;
}
