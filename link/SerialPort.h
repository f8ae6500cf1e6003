#pragma once
// The one COM port through which every exchange with the phone passes: AT
// command text, service-mode frames and the single bytes of the boot
// handshake. Results are integers, non-zero for success, as the rest of the
// program expects; nothing here throws.
#include <atomic>
#include <cstdint>

#include "link/ServiceFrame.h"
#include "sys/Serial.h"

constexpr uint32_t kServiceBaud = 57600;
constexpr uint32_t kBootBaud = 19200;
constexpr int kReplyBufferSize = 256;
constexpr int kBootCodeSize = 104;
constexpr uint8_t kNoParity = 0;
constexpr uint8_t kEvenParity = 2;

// Told of each data chunk as the block write deals with it.
class BlockWriteObserver {
 public:
  virtual ~BlockWriteObserver() = default;
  // taken is false for a chunk given up after its last send.
  virtual void OnChunk(int offset, int length, int size, bool taken) = 0;
};

class SerialPort {
 public:
  constexpr SerialPort() = default;
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // Line and port (SerialPort.cpp).
  // index 0..8 is COM1..COM9. Refuses (0) while this port already holds a
  // handle, so a second open can never take another job's handle away.
  int ComOpen(int index, uint32_t baud);
  int ComClose();
  int ComSetup(uint32_t baud, uint8_t stopBits, uint8_t parity, uint8_t byteSize);
  int ComSetTimeouts(uint32_t readTotal, uint32_t writeTotal);
  int ComGetState(uint32_t* baud, uint8_t* stopBits, uint8_t* parity, uint8_t* byteSize);
  // Succeeds when the time-out passes with no byte; out is then unchanged.
  int ComReadByte(uint8_t* out);
  int ComWriteByte(unsigned value);
  int ComWriteText(const char* text);  // bytes written
  // The reply buffer: text up to its first zero byte or its 256th byte.
  const char* ComReadText();
  int ComReadRaw(uint8_t* buffer);  // 34 bytes; returns the count read
  int ComRestoreLine(uint32_t baud);

  // Service-mode frames (ServiceFrames.cpp).
  int ComSend(ServiceFrame& frame);  // bytes written
  int ComReceive(uint8_t type, uint8_t minLength, ServiceFrame& frame);
  int SendPing();
  int PingPhone();
  int QueryBlockInfo(uint16_t blockId, uint16_t* length, uint8_t* infoByte);
  int RequestPowerOff();

  // AT commands into the service mode (AtEntry.cpp).
  int EnterServiceMode();

  // Block write (BlockWrite.cpp). Returns size when every chunk was taken;
  // otherwise the offset of the first chunk that did not get through (given
  // up, or its frame could not be written); 0 when nothing could start.
  int WriteBlock(uint16_t blockId, uint16_t size, uint8_t infoByte, const uint8_t* data,
                 BlockWriteObserver* observer = nullptr);

  // Power-on by the boot handshake (BootPowerOn.cpp).
  int BootPowerOn(unsigned attempts);
  int TryBootPowerOn();
  int BootHandshake();
  int SendBootCode(unsigned first, unsigned second, unsigned third);
  int SendBootBlock(unsigned length, const uint8_t* bytes);
  int ReadByteWithTimeout(uint8_t* out, uint32_t ms);

  // While the flag is set, nothing more goes out on the line: frame and text
  // writes fail at once, so every exchange in progress winds down without
  // waiting. A job that is being abandoned sets it.
  void SetStopFlag(const std::atomic<bool>* flag) { stop_ = flag; }

  bool IsOpen() const { return handle != nullptr; }

  sys::SerialDevice* handle = nullptr;
  sys::Dcb dcb = {};

 private:
  bool StopRequested() const { return stop_ && stop_->load(); }
  const std::atomic<bool>* stop_ = nullptr;
};

// The process's one port; every phone job opens and closes it.
extern SerialPort PhonePort;

// The boot code as it was last sent (patched in place by SendBootCode).
extern uint8_t BootCode[kBootCodeSize];
