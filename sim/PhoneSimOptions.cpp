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

// "A" or "A<separator>B": B is optional.
bool SplitPair(const std::string& text, char separator, std::string* first, std::string* second) {
  size_t at = text.find(separator);
  *first = text.substr(0, at);
  *second = at == std::string::npos ? "" : text.substr(at + 1);
  return at == std::string::npos || !second->empty();
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
  } else if (name == "split" || name == "noise") {
    // split=MS[@K]: K bytes first, then a gap of MS; noise=K[@MS]: K bytes, MS ahead.
    const bool split = name == "split";
    std::string first, second;
    long a = 0, b = split ? 1 : 0;
    const long firstHigh = split ? 60000 : 64, secondHigh = split ? 64 : 60000;
    if (!hasValue || !SplitPair(value, '@', &first, &second) || !ParseNumber(first, 1, firstHigh, &a) ||
        (!second.empty() && !ParseNumber(second, split ? 1 : 0, secondHigh, &b)))
      return bad(split ? "split=MS[@K] (MS 1 to 60000, K 1 to 64)" : "noise=K[@MS] (K 1 to 64, MS 0 to 60000)");
    if (split) {
      settings->splitGapMs = static_cast<uint32_t>(a);
      settings->splitAfter = static_cast<int>(b);
    } else {
      settings->noiseBytes = static_cast<int>(a);
      settings->noiseLeadMs = static_cast<uint32_t>(b);
    }
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
  } else if (name == "refuse-offset" || name == "silent-at") {
    // OFFSET[:K] (sends refused) or OFFSET[:MS] (silent so long); none: for good.
    const bool refuse = name == "refuse-offset";
    std::string offset, count;
    long at = 0, amount = 0;
    if (!hasValue || !SplitPair(value, ':', &offset, &count) || !ParseNumber(offset, 0, 65535, &at) ||
        (!count.empty() && !ParseNumber(count, 1, refuse ? 1000 : 600000, &amount)))
      return bad(refuse ? "refuse-offset=OFFSET[:K] (OFFSET 0 to 65535, K 1 to 1000)"
                        : "silent-at=OFFSET[:MS] (OFFSET 0 to 65535, MS 1 to 600000)");
    if (refuse) {
      settings->refuseOffset = static_cast<int>(at);
      settings->refuseOffsetSends = static_cast<int>(amount);
    } else {
      settings->silentAtOffset = static_cast<int>(at);
      settings->silentForMs = static_cast<uint32_t>(amount);
    }
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
