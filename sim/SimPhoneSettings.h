#pragma once
// Everything that can be set about the simulated phone, fault knobs
// included, in one plain record. The defaults are a healthy phone.
#include <cstdint>
#include <vector>

namespace sim {

enum class PhoneState { Normal, Service, Off };

// Requests of the service mode, for the knob that answers one of them with
// an oversized frame.
enum class Request { None, Ping, BlockInfo, Open, Data, Close, Finish08, Finish18, PowerOff };

constexpr uint16_t kEepromBlockId = 5071;
constexpr uint16_t kEepromBlockLength = 2408;
constexpr uint32_t kServiceRate = 57600;
constexpr uint32_t kBootRate = 19200;

// What may go wrong with one reply, decided as the phone answers a request.
struct ReplyFault {
  uint32_t lateMs = 0;       // on top of the phone's usual delay
  bool drop = false;         // the request is acted on but not answered
  bool refuse = false;       // a block-service request is refused (0x13) and not acted on
  bool oversized = false;    // answered with a frame of N = 40 whose tail is the real reply
  int splitAfter = 0;        // > 0: this many bytes first, the rest splitGapMs later
  uint32_t splitGapMs = 0;
  int noiseBytes = 0;        // line noise that cannot start a frame, ahead of the reply
  uint32_t noiseLeadMs = 0;  // from the end of the noise to the reply (0: right behind it)
};

// The request a reply answers, as the fault schedule sees it.
struct ReplyContext {
  Request request = Request::None;
  int offset = -1;      // data: the chunk's offset
  int sendOfChunk = 0;  // data: how often this chunk has been sent in this write, this one included
  int replyNumber = 0;  // the phone's replies so far, this one included
};

constexpr int kAnyOffset = -1;

struct SimPhoneSettings {
  PhoneState initialState = PhoneState::Normal;
  uint32_t atRate = 57600;      // the one rate its AT interpreter listens at
  uint32_t replyDelayMs = 2;    // from the last byte of a request to the reply
  uint8_t infoByte = 0x04;      // its own value in the block information reply
  uint16_t blockLength = kEepromBlockLength;  // length of block 5071, reported and held (read once, at construction)
  bool powerKeyHeld = true;     // while off: the user holds the power key

  // Fault knobs.
  bool silent = false;            // hears nothing, answers nothing
  bool errorAtEveryRate = false;  // "at^sqwe=1" gets ERROR at any rate; the fallback works
  uint32_t splitGapMs = 0;        // > 0: replies go out in two parts with this gap
  int splitAfter = 1;             // bytes in the first part
  Request lateTo = Request::None;  // replies to this request come lateMs late
  int lateOffset = kAnyOffset;     // with lateTo data: only the chunk at this offset
  uint32_t lateMs = 0;
  int dropDataReplies = 0;        // data stored, but no reply to the first K sends of each chunk
  int refuseDataSends = 0;        // the first K sends of each chunk refused (0x13)
  int refuseOffset = -1;          // >= 0: the chunk at this offset refused ...
  int refuseOffsetSends = 0;      // ... its first K sends (0: every send)
  Request oversizedReplyTo = Request::None;  // answered with a frame of N = 40
  int noiseBytes = 0;             // noise bytes ahead of every reply in the service mode
  uint32_t noiseLeadMs = 0;       // from the noise to the reply
  int silentAtOffset = -1;        // >= 0: the data frame at this offset makes it go silent ...
  uint32_t silentForMs = 0;       // ... for this long (0: for good)
  int bootNoiseBytes = 0;         // noise bytes before the first 0xA0 after going off
  bool noBootConfirm = false;     // takes a good boot block but never answers 0xA5
};

// The reply faults the knobs above ask for.
ReplyFault KnobFaults(const SimPhoneSettings& settings, const ReplyContext& reply);

// Line noise: bytes of which no three in a row can start a frame of the
// service mode, so noise can hide a reply but never make one up.
std::vector<uint8_t> LineNoise(int count);

}  // namespace sim
