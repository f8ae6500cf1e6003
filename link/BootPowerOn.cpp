#include "link/SerialPort.h"
#include "sys/Clock.h"

// Sent to the phone after its boot handshake; four positions are patched
// before each send (see SendBootCode).
uint8_t BootCode[kBootCodeSize] = {
    0xA5, 0x5A, 0xA5, 0xA5, 0xE6, 0x89, 0x46, 0x14,  //
    0xD1, 0x90, 0xFF, 0x9A, 0xFE, 0x9B, 0xE6, 0x0C,  //
    0x09, 0x00, 0xE6, 0x8A, 0xBF, 0x04, 0xD1, 0x90,  //
    0xE6, 0x0A, 0xF0, 0x0E, 0xE6, 0x8A, 0xAF, 0x04,  //
    0xB5, 0x4A, 0xB5, 0xB5, 0xE6, 0x00, 0x40, 0x00,  //
    0xE7, 0xF0, 0x00, 0x00, 0xF7, 0xF0, 0x00, 0x02,  //
    0xE7, 0xF0, 0x07, 0x00, 0xF7, 0xF0, 0x01, 0x02,  //
    0xE6, 0x03, 0x03, 0x00, 0xE7, 0xF0, 0x00, 0x00,  //
    0xF7, 0xF0, 0x00, 0xF6, 0xE7, 0xF0, 0x07, 0x00,  //
    0xF7, 0xF0, 0x01, 0xF6, 0xE7, 0xF0, 0x80, 0x00,  //
    0xF7, 0xF0, 0x02, 0xF6, 0xE7, 0xF0, 0x01, 0x00,  //
    0xF7, 0xF0, 0x03, 0xF6, 0xE6, 0xF0, 0x80, 0x00,  //
    0x74, 0xF0, 0xE0, 0xEF, 0xB7, 0x48, 0xB7, 0xB7,  //
};

namespace {

constexpr uint8_t kWake = 0x55;
constexpr uint8_t kReadyForCode = 0xA0;
constexpr uint8_t kCodeAccepted = 0xA5;
constexpr int kHandshakePasses = 2;
constexpr int kTriesPerPass = 16;

}  // namespace

int SerialPort::BootPowerOn(unsigned attempts, BootAttemptObserver* observer) {
  for (unsigned attempt = 0; attempt < attempts && !StopRequested(); ++attempt) {
    if (observer) observer->OnBootAttempt(attempt + 1, attempts);
    if (TryBootPowerOn()) return 1;
  }
  return 0;
}

int SerialPort::TryBootPowerOn() {
  if (!handle) return 0;
  uint32_t rate = 0;
  if (!ComGetState(&rate, nullptr, nullptr, nullptr)) {
    handle->EscapeCommFunction(sys::kClrDtr);
    return 0;
  }
  if (ComSetup(kBootBaud, 0, kEvenParity, 8) && BootHandshake() && SendBootCode(2, 128, 0)) {
    ComSetTimeouts(20, 20);
    uint8_t reply = 0;
    ComReadByte(&reply);
    if (reply == kCodeAccepted) {
      ComSetTimeouts(250, 250);
      ComRestoreLine(rate);
      return 1;
    }
  }
  ComRestoreLine(rate);
  return 0;
}

int SerialPort::BootHandshake() {
  if (!handle) return 0;
  for (int pass = 0; pass < kHandshakePasses; ++pass) {
    handle->EscapeCommFunction(sys::kSetDtr);
    sys::Sleep(55);
    for (int attempt = 0; attempt < kTriesPerPass; ++attempt) {
      if (StopRequested()) break;
      sys::Sleep(45);
      uint8_t reply = 0;
      if (ComWriteByte(kWake) && ReadByteWithTimeout(&reply, 45)) {
        // The pulse ends at the first read, whatever came.
        const bool dropped = handle->EscapeCommFunction(sys::kClrDtr);
        if (reply == kReadyForCode && dropped) return 1;
      }
      unsigned errors = 0;
      handle->ClearCommError(&errors);
    }
    handle->EscapeCommFunction(sys::kClrDtr);
    if (StopRequested()) return 0;
    sys::Sleep(250);
  }
  return 0;
}

int SerialPort::SendBootCode(unsigned first, unsigned second, unsigned third) {
  // The four patched bytes are the immediate operands of byte moves in the
  // code (each follows E7 F0): the values it sets on the phone. Every send
  // passes the same three, so the code on the wire never changes.
  BootCode[50] = static_cast<uint8_t>(first);
  BootCode[70] = static_cast<uint8_t>(first);
  BootCode[78] = static_cast<uint8_t>(second);
  BootCode[86] = static_cast<uint8_t>(third);
  return SendBootBlock(kBootCodeSize, BootCode);
}

int SerialPort::SendBootBlock(unsigned length, const uint8_t* bytes) {
  if (!bytes || bytes[0] == 0 || StopRequested()) return 0;
  // Once begun, the block goes out whole, so that a stop never leaves the
  // phone with part of it.
  WriteByteEvenIfStopped(length);
  uint8_t checksum = 0;
  for (unsigned i = 0; i < length % 256; ++i)
    if (WriteByteEvenIfStopped(bytes[i])) checksum ^= bytes[i];
  return WriteByteEvenIfStopped(checksum);
}

int SerialPort::ReadByteWithTimeout(uint8_t* out, uint32_t ms) {
  ComSetTimeouts(ms, ms);
  return ComReadByte(out);
}
