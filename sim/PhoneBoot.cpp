// Off: the boot loader in the phone's ROM, awake while the power key is
// held. With DTR raised, or after a DTR pulse (where the host can show DTR
// at all), it answers 0x55 with 0xA0, then takes a length byte, that many code bytes and their XOR, and
// confirms a good block with 0xA5, after which the phone runs normally.
#include "sim/SimPhone.h"

namespace sim {
namespace {
constexpr uint64_t kBootStallUs = 100000;  // a block that stalls this long is dropped
constexpr uint8_t kSync = 0x55, kReady = 0xA0, kBooted = 0xA5;
// What a starting phone puts on the line before it is ready.
constexpr uint8_t kNoise[] = {0x00, 0xFF, 0x7F, 0xF8, 0x3C};
}  // namespace

void SimPhone::OnDtr(bool high, uint64_t atUs) {
  if (high == dtrHigh_) return;
  dtrHigh_ = high;
  Log(PhoneEvent::Kind::Note, atUs, ListeningSettings(), {}, high ? "DTR 1" : "DTR 0");
  if (high && state_ == PhoneState::Off) {  // a rising edge: the start of a pulse
    bootArmed_ = true;
    if (boot_ != Boot::WaitSync) ResetBoot(atUs, "boot block dropped: new DTR pulse");
  }
}

void SimPhone::ResetBoot(uint64_t atUs, const char* why) {
  Note(atUs, why);
  boot_ = Boot::WaitSync;
  bootCode_.clear();
}

void SimPhone::OnBootByte(const Input& input) {
  if (!settings_.powerKeyHeld) {
    Unused(input, "ignored: off, power key not held");
    return;
  }
  if (boot_ != Boot::WaitSync && input.atUs - lastBootByteUs_ > kBootStallUs)
    ResetBoot(input.atUs, "boot block stalled: dropped");
  lastBootByteUs_ = input.atUs;
  uint8_t value = input.value;
  switch (boot_) {
    case Boot::WaitSync: {
      if (value != kSync) return Unused(input, "ignored: off, waiting for 0x55");
      if (canSeeDtr_ && !bootArmed_ && !dtrHigh_) return Unused(input, "boot 0x55 without DTR: ignored");
      Log(PhoneEvent::Kind::FromHost, input.atUs, input.sentWith, {value}, "boot 0x55");
      std::vector<uint8_t> reply;
      if (!noiseSent_ && settings_.bootNoiseBytes > 0) {
        for (int i = 0; i < settings_.bootNoiseBytes; ++i) reply.push_back(kNoise[i % sizeof kNoise]);
        noiseSent_ = true;
      }
      reply.push_back(kReady);
      Send(reply, input.atUs, reply.size() > 1 ? "noise (fault), boot 0xA0" : "boot 0xA0");
      boot_ = Boot::WaitLength;
      return;
    }
    case Boot::WaitLength:
      bootLength_ = value;
      bootCode_.assign(1, value);
      boot_ = value == 0 ? Boot::WaitChecksum : Boot::WaitCode;
      return;
    case Boot::WaitCode:
      bootCode_.push_back(value);
      if (bootCode_.size() == bootLength_ + 1) boot_ = Boot::WaitChecksum;
      return;
    case Boot::WaitChecksum: {
      uint8_t check = 0;
      for (size_t i = 1; i < bootCode_.size(); ++i) check ^= bootCode_[i];
      std::vector<uint8_t> block = bootCode_;
      block.push_back(value);
      bool good = check == value && bootLength_ > 0;
      std::string what = "boot block (" + std::to_string(bootLength_) + " bytes, checksum " +
                         (good ? "good" : "wrong") + ")";
      Log(PhoneEvent::Kind::FromHost, input.atUs, input.sentWith, block, what);
      bootCode_.clear();
      boot_ = Boot::WaitSync;
      if (!good) return;
      if (settings_.noBootConfirm) {
        Note(input.atUs, "boot code taken, no 0xA5 (fault)");
        return;
      }
      uint64_t sent = Send({kBooted}, input.atUs, "boot 0xA5");
      ChangeStateAfter(PhoneState::Normal, sent);
      return;
    }
  }
}

}  // namespace sim
