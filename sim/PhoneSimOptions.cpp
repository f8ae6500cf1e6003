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
    if (!needsNumber(1, 60000)) return bad("split=MS (1 to 60000)");
    settings->splitGapMs = static_cast<uint32_t>(number);
  } else if (name == "drop-data") {
    if (!needsNumber(0, 1000)) return bad("drop-data=K (0 to 1000)");
    settings->dropDataReplies = static_cast<int>(number);
  } else if (name == "refuse-data") {
    if (!needsNumber(0, 1000)) return bad("refuse-data=K (0 to 1000)");
    settings->refuseDataSends = static_cast<int>(number);
  } else if (name == "refuse-offset") {
    if (!needsNumber(0, 65535)) return bad("refuse-offset=OFFSET (0 to 65535)");
    settings->refuseOffset = static_cast<int>(number);
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
