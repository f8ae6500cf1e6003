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
#include <cstdlib>
#include <map>
#include <string>

#include "sim/posix/PtyLine.h"
#include "sys/posix/Tty.h"

namespace {

const char kMarker[] = "\x01\xFE";

bool ParseHex(const std::string& text, std::string* bytes) {
  if (text.size() % 2 != 0) return false;
  for (size_t i = 0; i < text.size(); i += 2) {
    char* end = nullptr;
    std::string digits = text.substr(i, 2);
    long value = std::strtol(digits.c_str(), &end, 16);
    if (*end != '\0') return false;
    *bytes += static_cast<char>(value);
  }
  return true;
}

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
      for (int i = 0; i < n; ++i) {
        if (!Take(chunk[i])) return false;
      }
      if (!SendWhatIsDue()) return false;
    }
  }

 private:
  enum class State { Data, Marker, Command };

  int MsToNextSend() const {
    if (sends_.empty()) return -1;
    uint64_t now = sys::tty::MonotonicUs();
    uint64_t due = sends_.begin()->first;
    return due <= now ? 0 : static_cast<int>((due - now + 999) / 1000);
  }

  bool Take(char byte) {
    switch (state_) {
      case State::Data:
        if (byte == kMarker[0]) state_ = State::Marker;
        else data_ += byte;
        return true;
      case State::Marker:
        if (byte == kMarker[1]) {
          state_ = State::Command;
          command_.clear();
          return true;
        }
        data_ += kMarker[0];
        if (byte != kMarker[0]) {
          data_ += byte;
          state_ = State::Data;
        }
        return true;
      case State::Command:
        if (byte != '\n') {
          command_ += byte;
          return true;
        }
        state_ = State::Data;
        return Obey(command_);
    }
    return true;
  }

  bool Obey(const std::string& command) {
    unsigned afterMs = 0;
    char hex[16384];
    std::string bytes;
    if (std::sscanf(command.c_str(), "S %u %16383s", &afterMs, hex) == 2 && ParseHex(hex, &bytes)) {
      sends_.emplace(sys::tty::MonotonicUs() + uint64_t{afterMs} * 1000, bytes);
      return true;
    }
    if (command == "R") {
      std::string answer = kMarker + ("R " + std::to_string(data_.size()) + "\n") + data_;
      data_.clear();
      return Send(answer);
    }
    if (command == "L") {
      sim::LineSettings settings = line_.Settings();
      char status[96];
      std::snprintf(status, sizeof status, "%sL %u %c %d %d %d %d\n", kMarker, settings.baud, settings.parity,
                    settings.dtr, settings.rts, rises_, falls_);
      rises_ = falls_ = 0;
      return Send(status);
    }
    if (command == "C") {
      sends_.clear();
      data_.clear();
      return Send(std::string(kMarker) + "C\n");
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
  State state_ = State::Data;
  std::string command_;
  std::string data_;
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
