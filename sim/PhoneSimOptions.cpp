#include "sim/PhoneSimOptions.h"

#include <cstdlib>

namespace sim {
namespace {

bool ParseNumber(const std::string& text, long low, long high, long* value) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  *value = std::strtol(text.c_str(), nullptr, 10);
  return *value >= low && *value <= high;
}

bool ParseRequest(const std::string& name, Request* request) {
  static const struct {
    const char* name;
    Request request;
  } kRequests[] = {{"ping", Request::Ping},       {"info", Request::BlockInfo},       {"open", Request::Open},
                   {"data", Request::Data},       {"close", Request::Close},          {"finish-08", Request::Finish08},
                   {"finish-18", Request::Finish18}, {"power-off", Request::PowerOff}};
  for (const auto& known : kRequests)
    if (name == known.name) {
      *request = known.request;
      return true;
    }
  return false;
}

// "A" or "A<separator>B": B is optional, but not empty after a separator.
bool SplitPair(const std::string& text, char separator, std::string* first, std::string* second) {
  size_t at = text.find(separator);
  *first = text.substr(0, at);
  *second = at == std::string::npos ? "" : text.substr(at + 1);
  return at == std::string::npos || !second->empty();
}

struct Range {
  long low, high;
};

// "A" or "A<separator>B", both numbers in their ranges; b keeps its value
// when there is no B.
bool ParseNumberPair(const std::string& text, char separator, Range first, Range second, long* a, long* b) {
  std::string textA, textB;
  return SplitPair(text, separator, &textA, &textB) && ParseNumber(textA, first.low, first.high, a) &&
         (textB.empty() || ParseNumber(textB, second.low, second.high, b));
}

}  // namespace

std::string ApplyFaultKnob(const std::string& knob, SimPhoneSettings* settings) {
  size_t equals = knob.find('=');
  std::string name = knob.substr(0, equals);
  std::string value = equals == std::string::npos ? "" : knob.substr(equals + 1);
  bool hasValue = equals != std::string::npos;
  long number = 0;
  auto needsNumber = [&](long low, long high) {
    return hasValue && ParseNumber(value, low, high, &number);
  };
  auto bad = [&](const std::string& form) { return "fault " + knob + ": expected " + form; };

  if (name == "silent" && !hasValue) {
    settings->silent = true;
  } else if (name == "error-at-every-rate" && !hasValue) {
    settings->errorAtEveryRate = true;
  } else if (name == "no-a5" && !hasValue) {
    settings->noBootConfirm = true;
  } else if (name == "key-released" && !hasValue) {
    settings->powerKeyHeld = false;
  } else if (name == "delay") {
    if (!needsNumber(0, 60000)) return bad("delay=MS (0 to 60000)");
    settings->replyDelayMs = static_cast<uint32_t>(number);
  } else if (name == "split") {
    long gap = 0, first = 1;
    if (!hasValue || !ParseNumberPair(value, '@', {1, 60000}, {1, 64}, &gap, &first))
      return bad("split=MS[@K] (MS 1 to 60000, K 1 to 64)");
    settings->splitGapMs = static_cast<uint32_t>(gap);
    settings->splitAfter = static_cast<int>(first);
  } else if (name == "noise") {
    long count = 0, lead = 0;
    if (!hasValue || !ParseNumberPair(value, '@', {1, 64}, {0, 60000}, &count, &lead))
      return bad("noise=K[@MS] (K 1 to 64, MS 0 to 60000)");
    settings->noiseBytes = static_cast<int>(count);
    settings->noiseLeadMs = static_cast<uint32_t>(lead);
  } else if (name == "late") {
    // late=REQUEST:MS, REQUEST possibly data@OFFSET.
    std::string request, ms, which, offset;
    long delay = 0, at = kAnyOffset;
    if (!hasValue || value.find(':') == std::string::npos || !SplitPair(value, ':', &request, &ms) ||
        !ParseNumber(ms, 1, 60000, &delay) || !SplitPair(request, '@', &which, &offset) ||
        !ParseRequest(which, &settings->lateTo) || (!offset.empty() && which != "data") ||
        (!offset.empty() && !ParseNumber(offset, 0, 65535, &at)))
      return bad("late=REQUEST:MS (REQUEST ping, info, open, data, data@OFFSET, close, finish-08, finish-18, "
                 "power-off; MS 1 to 60000)");
    settings->lateMs = static_cast<uint32_t>(delay);
    settings->lateOffset = static_cast<int>(at);
  } else if (name == "drop-data") {
    if (!needsNumber(0, 1000)) return bad("drop-data=K (0 to 1000)");
    settings->dropDataReplies = static_cast<int>(number);
  } else if (name == "refuse-data") {
    if (!needsNumber(0, 1000)) return bad("refuse-data=K (0 to 1000)");
    settings->refuseDataSends = static_cast<int>(number);
  } else if (name == "refuse-offset") {
    long offset = 0, sends = 0;  // no K: every send
    if (!hasValue || !ParseNumberPair(value, ':', {0, 65535}, {1, 1000}, &offset, &sends))
      return bad("refuse-offset=OFFSET[:K] (OFFSET 0 to 65535, K 1 to 1000)");
    settings->refuseOffset = static_cast<int>(offset);
    settings->refuseOffsetSends = static_cast<int>(sends);
  } else if (name == "silent-at") {
    long offset = 0, ms = 0;  // no MS: for good
    if (!hasValue || !ParseNumberPair(value, ':', {0, 65535}, {1, 600000}, &offset, &ms))
      return bad("silent-at=OFFSET[:MS] (OFFSET 0 to 65535, MS 1 to 600000)");
    settings->silentAtOffset = static_cast<int>(offset);
    settings->silentForMs = static_cast<uint32_t>(ms);
  } else if (name == "oversized") {
    if (!hasValue || !ParseRequest(value, &settings->oversizedReplyTo))
      return bad("oversized=REQUEST (ping, info, open, data, close, finish-08, finish-18, power-off)");
  } else if (name == "block-length") {
    if (!needsNumber(1, 65535)) return bad("block-length=N (1 to 65535)");
    settings->blockLength = static_cast<uint16_t>(number);
  } else if (name == "boot-noise") {
    if (!needsNumber(0, 64)) return bad("boot-noise=K (0 to 64)");
    settings->bootNoiseBytes = static_cast<int>(number);
  } else {
    return "unknown fault knob: " + knob;
  }
  return "";
}

bool ParsePhoneState(const std::string& name, PhoneState* state) {
  if (name == "normal")
    *state = PhoneState::Normal;
  else if (name == "service")
    *state = PhoneState::Service;
  else if (name == "off")
    *state = PhoneState::Off;
  else
    return false;
  return true;
}

bool ParseBaudRate(const std::string& text, uint32_t* baud) {
  long number = 0;
  if (!ParseNumber(text, 300, 4000000, &number)) return false;
  *baud = static_cast<uint32_t>(number);
  return true;
}

}  // namespace sim
