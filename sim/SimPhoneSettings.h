#pragma once
// Everything that can be set about the simulated phone, fault knobs
// included, in one plain record. The defaults are a healthy phone.
#include <cstdint>

namespace sim {

enum class PhoneState { Normal, Service, Off };

// Requests of the service mode, for the knob that answers one of them with
// an oversized frame.
enum class Request { None, Ping, BlockInfo, Open, Data, Close, Finish08, Finish18, PowerOff };

constexpr uint16_t kEepromBlockId = 5071;
constexpr uint16_t kEepromBlockLength = 2408;
constexpr uint32_t kServiceRate = 57600;
constexpr uint32_t kBootRate = 19200;

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
  int dropDataReplies = 0;        // data stored, but no reply to the first K sends of each chunk
  int refuseDataSends = 0;        // the first K sends of each chunk refused (0x13)
  int refuseOffset = -1;          // >= 0: the chunk at this offset always refused
  Request oversizedReplyTo = Request::None;  // answered with a frame of N = 40
  int bootNoiseBytes = 0;         // noise bytes before the first 0xA0 after going off
  bool noBootConfirm = false;     // takes a good boot block but never answers 0xA5
};

}  // namespace sim
