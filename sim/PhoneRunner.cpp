#include "sim/PhoneRunner.h"

#include <algorithm>
#include <cstdio>

#include "sim/Transcript.h"

namespace sim {
namespace {
constexpr size_t kLoggedBytes = 32;  // longer runs are shown cut, with their count
}

PhoneRunner::PhoneRunner(SimPhone& phone, PhoneSideLine& line)
    : phone_(phone), line_(line), start_(std::chrono::steady_clock::now()) {}

uint64_t PhoneRunner::NowUs() const {
  auto elapsed = std::chrono::steady_clock::now() - start_;
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count());
}

bool PhoneRunner::Step(int maxWaitMs) {
  uint64_t now = NowUs();
  phone_.RunUntil(now);
  Deliver(now);
  int waitMs = maxWaitMs;
  if (auto due = phone_.NextDueUs()) {
    uint64_t untilDue = *due > now ? (*due - now + 999) / 1000 : 0;
    waitMs = static_cast<int>(std::min<uint64_t>(static_cast<uint64_t>(maxWaitMs), untilDue));
  }
  uint8_t buffer[512];
  int count = line_.Read(buffer, sizeof buffer, waitMs);
  if (count < 0) return false;
  now = NowUs();
  phone_.SetCanSeeDtr(line_.CanSeeDtr());
  for (bool level : line_.TakeDtrChanges()) phone_.SetDtr(level, now);
  // The bytes are already here: the tool's writes did not wait for them to
  // cross a wire, so the phone takes them as arrived now and answers as soon
  // after them as the tool expects.
  if (count > 0) phone_.ReceiveArrived(buffer, static_cast<size_t>(count), line_.Settings(), now);
  phone_.RunUntil(now);
  Deliver(now);
  return true;
}

bool PhoneRunner::Run(const std::atomic<bool>& stop) {
  while (!stop.load()) {
    if (!Step(50)) return false;
  }
  return true;
}

void PhoneRunner::Deliver(uint64_t nowUs) {
  WireSettings tool = line_.Settings();
  std::vector<uint8_t> due;
  WireByte byte;
  while (phone_.TakeOutput(nowUs, &byte)) due.push_back(ReceivedValue(byte, tool));
  if (!due.empty()) line_.Write(due.data(), due.size());
}

std::string FormatPhoneEvent(const PhoneEvent& event) {
  char time[32];
  std::snprintf(time, sizeof time, "%9.3f s  ", event.atUs / 1e6);
  std::string line = time;
  switch (event.kind) {
    case PhoneEvent::Kind::FromHost: line += "tool -> phone  "; break;
    case PhoneEvent::Kind::ToHost: line += "phone -> tool  "; break;
    case PhoneEvent::Kind::Note: line += "phone          "; break;
  }
  if (event.kind != PhoneEvent::Kind::Note) line += DescribeSettings(event.settings) + "  ";
  line += event.meaning;
  if (!event.bytes.empty()) {
    size_t shown = std::min(event.bytes.size(), kLoggedBytes);
    line += "  [" + HexBytes(std::vector<uint8_t>(event.bytes.begin(), event.bytes.begin() + shown));
    if (shown < event.bytes.size()) line += " ... " + std::to_string(event.bytes.size()) + " bytes";
    line += "]";
  }
  return line;
}

}  // namespace sim
