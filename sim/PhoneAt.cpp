// Normal mode: an AT interpreter with echo, as a modem has it. A command
// line starts with "at" (either case) and ends with a carriage return; what
// comes before an "at" is not a command and is dropped unanswered.
#include <cctype>

#include "sim/SimPhone.h"

namespace sim {
namespace {
constexpr size_t kMaxAtLine = 128;

std::string Lower(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}
}  // namespace

void SimPhone::OnAtByte(const Input& input) {
  char c = static_cast<char>(input.value);
  char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (atLine_.size() == 1 && lower != 't') {
    // An "a" that does not begin "at" was no command after all.
    atLine_.clear();
    atLineBytes_.clear();
  }
  if (atLine_.empty() && lower != 'a') {
    Unused(input, "not an AT command: ignored");
  } else if (c == '\r') {
    atLineSentWith_ = input.sentWith;
    echo_.push_back(input.value);
    atLineBytes_.push_back(input.value);
    OnAtLine(input.atUs);
    return;
  } else if (input.value < 0x20 || input.value > 0x7E) {
    Unused(input, "control byte in an AT command: ignored");
  } else {
    if (atLine_.size() < kMaxAtLine) atLine_ += c;
    atLineBytes_.push_back(input.value);
    echo_.push_back(input.value);
  }
  if (EndOfWrite(input.writeId)) FlushEcho(input.atUs);
}

void SimPhone::FlushEcho(uint64_t atUs) {
  if (echo_.empty()) return;
  std::vector<uint8_t> echo;
  echo.swap(echo_);
  Send(echo, atUs, "echo");
}

void SimPhone::OnAtLine(uint64_t atUs) {
  std::string command = Lower(atLine_);
  bool toService = false;
  bool ok = true;
  if (command == "at^sqwe=1") {
    ok = !settings_.errorAtEveryRate;
    toService = ok;
  } else if (command == "at^sbfb=1") {
    toService = true;
  } else if (command != "at") {
    ok = false;
  }
  Log(PhoneEvent::Kind::FromHost, atUs, atLineSentWith_, atLineBytes_, "AT " + atLine_);
  std::vector<uint8_t> reply;
  reply.swap(echo_);
  const char* result = ok ? "\r\nOK\r\n" : "\r\nERROR\r\n";
  reply.insert(reply.end(), result, result + std::char_traits<char>::length(result));
  uint64_t sent = Send(reply, atUs, ok ? (toService ? "echo, OK: entering service mode" : "echo, OK") : "echo, ERROR");
  if (toService) ChangeStateAfter(PhoneState::Service, sent);
  atLine_.clear();
  atLineBytes_.clear();
}

}  // namespace sim
