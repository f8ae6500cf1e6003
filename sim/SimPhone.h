#pragma once
// The simulated Siemens A50, independent of how bytes reach it. A host tells
// it what it sent (bytes, the line settings they were sent with, when) and
// the DTR changes it made, and asks which bytes the phone has put on the line
// by a given time. Bytes take their time on the line; a byte sent at settings
// the phone does not expect reaches it as garbage, and what it sends reaches
// a host at other settings as garbage (see WireSettings.h).
//
// Normal mode: AT commands at its own rate with echo; "at^sqwe=1" or
// "at^sbfb=1" switch it into the service mode. Service mode: frames at 57600
// 8N1 (ping, block information, open, data, close, the two finishing
// commands, power-off). Off: at 19200 8E1, while its power key is held and
// DTR is raised or was pulsed, the boot handshake (0x55 -> 0xA0, length,
// code, XOR checksum -> 0xA5).
//
// Not thread-safe: its host serializes calls.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/WireSettings.h"
#include "sim/SimPhoneSettings.h"

namespace sim {

// One thing that happened, for readable logs.
struct PhoneEvent {
  enum class Kind { FromHost, ToHost, Note };
  Kind kind;
  uint64_t atUs;          // FromHost: the last byte's arrival; ToHost: the first byte's departure
  WireSettings settings;  // the settings the bytes were sent with
  std::vector<uint8_t> bytes;
  std::string meaning;
};

class SimPhone {
 public:
  explicit SimPhone(const SimPhoneSettings& settings = {});

  // Host to phone: `count` bytes start leaving the host at `startUs` (or when
  // the host's earlier bytes are out). Returns when the last has arrived.
  uint64_t Receive(const uint8_t* bytes, size_t count, const WireSettings& sentWith, uint64_t startUs);
  // Host to phone where there is no wire to cross (a pseudo-terminal): the
  // bytes have all arrived by `atUs`.
  void ReceiveArrived(const uint8_t* bytes, size_t count, const WireSettings& sentWith, uint64_t atUs);
  void SetDtr(bool high, uint64_t atUs);
  // Whether this host can show the phone DTR at all; when it cannot (a bare
  // pseudo-terminal), the boot handshake does without DTR.
  void SetCanSeeDtr(bool canSee) { canSeeDtr_ = canSee; }

  // Acts on everything that has reached the phone by `us`.
  void RunUntil(uint64_t us);
  // Phone to host, after RunUntil: the arrival time of the next byte.
  std::optional<uint64_t> NextOutputUs() const;
  // The next time at which the phone has something to do or to deliver:
  // a host byte reaching it, or one of its bytes reaching the host.
  std::optional<uint64_t> NextDueUs() const;
  // Takes the next byte if it has fully arrived by `untilUs`.
  bool TakeOutput(uint64_t untilUs, WireByte* out);

  PhoneState State() const;
  SimPhoneSettings& Settings() { return settings_; }
  const SimPhoneSettings& Settings() const { return settings_; }

  // Block 5071 as the phone holds it (blockLength bytes, as constructed).
  const std::vector<uint8_t>& Block() const { return block_; }
  // Replaces the block; false (and nothing changed) unless the size fits.
  bool LoadBlock(const std::vector<uint8_t>& bytes);
  // Writes completed by a close since the start.
  int CompletedWrites() const { return completedWrites_; }
  // How often the chunk at `offset` was sent in the current write.
  int SendsOfChunk(int offset) const;

  // Puts bytes on the line from the phone's end, starting at `atUs` (or when
  // its earlier bytes are out), at its current settings: for tests of the
  // line itself. Returns when the last has arrived.
  uint64_t PutOnLine(const std::vector<uint8_t>& bytes, uint64_t atUs);

  // When set, decides the fault of every service-mode reply in place of the
  // fault knobs of the settings (a test's or a fuzzer's schedule).
  std::function<ReplyFault(const ReplyContext&)> replyFaults;
  std::function<void(const PhoneEvent&)> onEvent;
  // Called after each completed write with the block as it now stands.
  std::function<void(const std::vector<uint8_t>&)> onBlockWritten;

 private:
  struct Input {
    enum class Kind { Byte, DtrHigh, DtrLow } kind;
    uint8_t value;
    uint64_t atUs;
    WireSettings sentWith;
    uint64_t writeId;
  };
  enum class Boot { WaitSync, WaitLength, WaitCode, WaitChecksum };

  // Core (SimPhone.cpp).
  void Process(const Input& input);
  void ApplyPendingState(uint64_t atUs);
  void EnterState(PhoneState state, uint64_t atUs);
  void ChangeStateAfter(PhoneState state, uint64_t atUs);
  WireSettings ListeningSettings() const;
  // Queues bytes at the phone's current settings its reply delay after
  // `afterUs`; returns when the last has left. The knobs may split them.
  uint64_t Send(const std::vector<uint8_t>& bytes, uint64_t afterUs, const std::string& meaning);
  // Queues bytes starting at `startUs` (or when the line is free), the first
  // `splitAfter` of them (0: all) splitGapMs ahead of the rest.
  uint64_t SendAt(const std::vector<uint8_t>& bytes, uint64_t startUs, const std::string& meaning,
                  int splitAfter = 0, uint32_t splitGapMs = 0);
  void Log(PhoneEvent::Kind kind, uint64_t atUs, const WireSettings& settings, std::vector<uint8_t> bytes,
           std::string meaning);
  void Note(uint64_t atUs, std::string meaning);
  // Bytes that made no sense are gathered per host write and logged once.
  void Unused(const Input& input, const std::string& why);
  void FlushUnused();
  // True when no more bytes of the host write `writeId` are on their way.
  bool EndOfWrite(uint64_t writeId) const;

  // Normal mode (PhoneAt.cpp).
  void OnAtByte(const Input& input);
  void OnAtLine(uint64_t atUs);
  void FlushEcho(uint64_t atUs);

  // Service mode (PhoneService.cpp).
  void OnServiceByte(const Input& input);
  void OnFrame(const Input& last);
  void OnBlockService(const Input& last, const std::function<void(const std::string&)>& logRequest);
  // The fault of the next service-mode reply, from the schedule or the knobs.
  ReplyFault NextReplyFault(Request request, int offset = -1, int sendOfChunk = 0);
  // Sends a frame as the fault shapes it (late, oversized, split, behind
  // noise, or not at all); returns when it has left.
  uint64_t Reply(uint8_t type, const std::vector<uint8_t>& payload, const ReplyFault& fault, uint64_t atUs,
                 const std::string& meaning);

  // Off (PhoneBoot.cpp).
  void OnBootByte(const Input& input);
  void OnDtr(bool high, uint64_t atUs);
  void ResetBoot(uint64_t atUs, const char* why);

  SimPhoneSettings settings_;
  PhoneState state_;
  std::optional<PhoneState> pendingState_;
  uint64_t pendingAtUs_ = 0;
  uint64_t ranUntilUs_ = 0;
  bool canSeeDtr_ = true;

  std::deque<Input> input_;
  uint64_t inputFreeUs_ = 0;
  uint64_t nextWriteId_ = 1;
  std::deque<WireByte> output_;
  uint64_t outputFreeUs_ = 0;

  // Bytes gathered for one log line.
  std::vector<uint8_t> unused_;
  std::string unusedWhy_;
  uint64_t unusedAtUs_ = 0;
  WireSettings unusedSettings_;
  uint64_t unusedWriteId_ = 0;

  // Normal mode.
  std::string atLine_;
  std::vector<uint8_t> atLineBytes_;
  std::vector<uint8_t> echo_;
  WireSettings atSettings_;       // what its AT interpreter listens at
  WireSettings atLineSentWith_;   // what the host's command line came with

  // Service mode.
  std::vector<uint8_t> frame_;
  uint64_t lastFrameByteUs_ = 0;
  bool blockOpen_ = false;
  std::map<int, int> chunkSends_;
  int replies_ = 0;
  bool goneSilent_ = false;   // the silent-at knob has fired
  uint64_t silentUntilUs_ = 0;
  bool silentForGood_ = false;

  // Off.
  Boot boot_ = Boot::WaitSync;
  bool dtrHigh_ = false;
  bool bootArmed_ = false;
  bool noiseSent_ = false;
  size_t bootLength_ = 0;
  std::vector<uint8_t> bootCode_;
  uint64_t lastBootByteUs_ = 0;

  std::vector<uint8_t> block_;
  int completedWrites_ = 0;
};

const char* StateName(PhoneState state);

}  // namespace sim
