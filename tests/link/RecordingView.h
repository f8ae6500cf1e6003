#pragma once
// A PhoneJobView that writes down what a job showed, in order and with the
// (virtual) time of each call.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/PhoneJobView.h"
#include "sys/Clock.h"

namespace link_test {

class RecordingView : public PhoneJobView {
 public:
  void SetItemTextFromId(int controlId, int stringId) override {
    if (controlId == kStatusLineId)
      Note("status " + std::to_string(stringId));
    else if (controlId == kPowerButtonId)
      Note("caption " + std::to_string(stringId));
    else
      Note("text " + std::to_string(controlId) + " " + std::to_string(stringId));
  }
  void SetItemText(int controlId, const char* text) override {
    Note("text " + std::to_string(controlId) + " " + text);
  }
  void EnableItem(int controlId, int enable) override {
    Note("enable " + std::to_string(controlId) + " " + std::to_string(enable));
  }

  // Runs after each call is noted (a test may act in the middle of a job).
  std::function<void(const std::string&)> onCall;
  std::vector<std::string> calls;
  std::vector<uint32_t> times;

 private:
  void Note(const std::string& call) {
    calls.push_back(call);
    times.push_back(sys::TickMs());
    if (onCall) onCall(call);
  }
};

}  // namespace link_test
