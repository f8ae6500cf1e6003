// The phone's clockwork: bytes and DTR changes queued in time order, acted on
// as time reaches them, replies put on the line behind each other.
#include "sim/SimPhone.h"

#include <algorithm>

namespace sim {

const char* StateName(PhoneState state) {
  switch (state) {
    case PhoneState::Normal: return "normal";
    case PhoneState::Service: return "service";
    case PhoneState::Off: return "off";
  }
  return "?";
}

SimPhone::SimPhone(const SimPhoneSettings& settings)
    : settings_(settings), state_(settings.initialState), block_(settings.blockLength, 0xFF) {
  atSettings_ = Settings8N1(settings_.atRate);
}

bool SimPhone::LoadBlock(const std::vector<uint8_t>& bytes) {
  if (bytes.size() != block_.size()) return false;
  block_ = bytes;
  return true;
}

int SimPhone::SendsOfChunk(int offset) const {
  auto found = chunkSends_.find(offset);
  return found == chunkSends_.end() ? 0 : found->second;
}

uint64_t SimPhone::Receive(const uint8_t* bytes, size_t count, const WireSettings& sentWith, uint64_t startUs) {
  uint64_t at = std::max(startUs, inputFreeUs_);
  uint64_t perByte = ByteTimeUs(sentWith);
  uint64_t writeId = nextWriteId_++;
  for (size_t i = 0; i < count; ++i) {
    at += perByte;
    input_.push_back(Input{Input::Kind::Byte, bytes[i], at, sentWith, writeId});
  }
  inputFreeUs_ = std::max(inputFreeUs_, at);
  return at;
}

void SimPhone::ReceiveArrived(const uint8_t* bytes, size_t count, const WireSettings& sentWith, uint64_t atUs) {
  uint64_t at = std::max(atUs, inputFreeUs_);
  uint64_t writeId = nextWriteId_++;
  for (size_t i = 0; i < count; ++i) input_.push_back(Input{Input::Kind::Byte, bytes[i], at, sentWith, writeId});
  inputFreeUs_ = at;
}

void SimPhone::SetDtr(bool high, uint64_t atUs) {
  Input change{high ? Input::Kind::DtrHigh : Input::Kind::DtrLow, 0, atUs, WireSettings{}, nextWriteId_++};
  // Bytes still on their way keep their place before a later change.
  auto place = std::upper_bound(input_.begin(), input_.end(), atUs,
                                [](uint64_t at, const Input& queued) { return at < queued.atUs; });
  input_.insert(place, change);
}

void SimPhone::RunUntil(uint64_t us) {
  while (!input_.empty() && input_.front().atUs <= us) {
    Input next = input_.front();
    input_.pop_front();
    Process(next);
  }
  ApplyPendingState(us);
  ranUntilUs_ = std::max(ranUntilUs_, us);
}

std::optional<uint64_t> SimPhone::NextOutputUs() const {
  if (output_.empty()) return std::nullopt;
  return output_.front().atUs;
}

std::optional<uint64_t> SimPhone::NextDueUs() const {
  std::optional<uint64_t> due = NextOutputUs();
  if (!input_.empty() && (!due || input_.front().atUs < *due)) due = input_.front().atUs;
  return due;
}

bool SimPhone::TakeOutput(uint64_t untilUs, WireByte* out) {
  if (output_.empty() || output_.front().atUs > untilUs) return false;
  *out = output_.front();
  output_.pop_front();
  return true;
}

PhoneState SimPhone::State() const {
  if (pendingState_ && pendingAtUs_ <= ranUntilUs_) return *pendingState_;
  return state_;
}

WireSettings SimPhone::ListeningSettings() const {
  switch (state_) {
    case PhoneState::Normal: return atSettings_;
    case PhoneState::Service: return Settings8N1(kServiceRate);
    case PhoneState::Off: return Settings8E1(kBootRate);
  }
  return WireSettings{};
}

void SimPhone::Process(const Input& input) {
  ApplyPendingState(input.atUs);
  if (input.kind != Input::Kind::Byte) {
    OnDtr(input.kind == Input::Kind::DtrHigh, input.atUs);
    return;
  }
  if (settings_.silent || silentForGood_ || input.atUs < silentUntilUs_) {
    Unused(input, "ignored: the phone is silent");
    return;
  }
  if (state_ == PhoneState::Normal) {
    // Its AT interpreter listens at its own rate, or, when it answers at
    // every rate, at whatever rate the host speaks.
    atSettings_ = Settings8N1(settings_.errorAtEveryRate ? input.sentWith.baud : settings_.atRate);
  }
  WireSettings listening = ListeningSettings();
  if (!SettingsMatch(input.sentWith, listening)) {
    // A misread character spoils whatever the phone was gathering.
    atLine_.clear();
    atLineBytes_.clear();
    frame_.clear();
    if (boot_ != Boot::WaitSync) ResetBoot(input.atUs, "boot block spoilt by garbage");
    Unused(input, "garbage: sent at " + DescribeSettings(input.sentWith) + ", phone listens at " +
                      DescribeSettings(listening));
    return;
  }
  switch (state_) {
    case PhoneState::Normal: OnAtByte(input); break;
    case PhoneState::Service: OnServiceByte(input); break;
    case PhoneState::Off: OnBootByte(input); break;
  }
}

void SimPhone::ApplyPendingState(uint64_t atUs) {
  if (pendingState_ && pendingAtUs_ <= atUs) {
    PhoneState next = *pendingState_;
    pendingState_.reset();
    EnterState(next, pendingAtUs_);
  }
}

void SimPhone::ChangeStateAfter(PhoneState state, uint64_t atUs) {
  pendingState_ = state;
  pendingAtUs_ = atUs;
}

void SimPhone::EnterState(PhoneState state, uint64_t atUs) {
  state_ = state;
  atLine_.clear();
  atLineBytes_.clear();
  echo_.clear();
  frame_.clear();
  blockOpen_ = false;
  boot_ = Boot::WaitSync;
  bootArmed_ = false;
  if (state == PhoneState::Off) noiseSent_ = false;
  switch (state) {
    case PhoneState::Normal: Note(atUs, "now on, in normal mode (AT commands)"); break;
    case PhoneState::Service: Note(atUs, "now in service mode (57600 8N1)"); break;
    case PhoneState::Off: Note(atUs, "now off"); break;
  }
}

uint64_t SimPhone::Send(const std::vector<uint8_t>& bytes, uint64_t afterUs, const std::string& meaning) {
  const ReplyFault shape = KnobFaults(settings_, ReplyContext{});
  return SendAt(bytes, afterUs + uint64_t{settings_.replyDelayMs} * 1000, meaning, shape.splitAfter, shape.splitGapMs);
}

uint64_t SimPhone::SendAt(const std::vector<uint8_t>& bytes, uint64_t startUs, const std::string& meaning,
                          int splitAfter, uint32_t splitGapMs) {
  WireSettings sending = ListeningSettings();
  uint64_t perByte = ByteTimeUs(sending);
  uint64_t at = std::max(startUs, outputFreeUs_);
  uint64_t start = at;
  size_t splitAt = bytes.size();
  if (splitAfter > 0 && splitGapMs > 0 && bytes.size() > 1)
    splitAt = std::min<size_t>(static_cast<size_t>(splitAfter), bytes.size() - 1);
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i == splitAt) at += uint64_t{splitGapMs} * 1000;
    at += perByte;
    output_.push_back(WireByte{bytes[i], at, sending});
  }
  outputFreeUs_ = at;
  Log(PhoneEvent::Kind::ToHost, start, sending, bytes,
      splitAt < bytes.size() ? meaning + " (split, fault)" : meaning);
  return at;
}

uint64_t SimPhone::PutOnLine(const std::vector<uint8_t>& bytes, uint64_t atUs) {
  return SendAt(bytes, atUs, "put on the line by the test");
}

void SimPhone::Log(PhoneEvent::Kind kind, uint64_t atUs, const WireSettings& settings,
                   std::vector<uint8_t> bytes, std::string meaning) {
  if (!unused_.empty()) FlushUnused();
  if (onEvent) onEvent(PhoneEvent{kind, atUs, settings, std::move(bytes), std::move(meaning)});
}

void SimPhone::Note(uint64_t atUs, std::string meaning) {
  Log(PhoneEvent::Kind::Note, atUs, ListeningSettings(), {}, std::move(meaning));
}

bool SimPhone::EndOfWrite(uint64_t writeId) const {
  return input_.empty() || input_.front().kind != Input::Kind::Byte || input_.front().writeId != writeId;
}

void SimPhone::Unused(const Input& input, const std::string& why) {
  if (!unused_.empty() && (input.writeId != unusedWriteId_ || why != unusedWhy_)) FlushUnused();
  if (unused_.empty()) {
    unusedWhy_ = why;
    unusedSettings_ = input.sentWith;
    unusedWriteId_ = input.writeId;
  }
  unused_.push_back(input.value);
  unusedAtUs_ = input.atUs;
  if (EndOfWrite(input.writeId)) FlushUnused();
}

void SimPhone::FlushUnused() {
  if (unused_.empty()) return;
  std::vector<uint8_t> bytes;
  bytes.swap(unused_);
  Log(PhoneEvent::Kind::FromHost, unusedAtUs_, unusedSettings_, std::move(bytes), unusedWhy_);
}

}  // namespace sim
