#pragma once
// The one COM port through which every exchange with the phone passes: AT
// command text, service-mode frames and the single bytes of the boot
// handshake. Results are integers, non-zero for success, as the rest of the
// program expects; nothing here throws.
#include <atomic>
#include <cstdint>

#include "link/ReplyTracker.h"
#include "link/ServiceFrame.h"
#include "sys/Serial.h"

constexpr uint32_t kServiceBaud = 57600;
constexpr uint32_t kBootBaud = 19200;
constexpr int kReplyBufferSize = 256;
constexpr int kBootCodeSize = 104;
constexpr uint8_t kNoParity = 0;
constexpr uint8_t kEvenParity = 2;
// How long a request waits for its reply (six reads of at most 50 ms).
constexpr uint32_t kReceiveWindowMs = 300;
// The data bytes of one chunk of a block write (the last may be shorter).
constexpr int kBlockChunkSize = 20;

// How the block write dealt with one data chunk.
struct ChunkReport {
  int offset, length, size;
  bool taken;     // false: given up after its last send
  int sends;      // how often it went out
  int refusals;   // replies that refused it; the other sends got no usable reply
};

// Told of each data chunk as the block write deals with it.
class BlockWriteObserver {
 public:
  virtual ~BlockWriteObserver() = default;
  virtual void OnChunk(const ChunkReport& chunk) = 0;
};

// Told as each attempt of the boot handshake begins.
class BootAttemptObserver {
 public:
  virtual ~BootAttemptObserver() = default;
  virtual void OnBootAttempt(unsigned attempt, unsigned attempts) = 0;  // attempt from 1
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
  // Ends once the reply holds "OK\r" and the line has then gone quiet, else
  // after 250 ms.
  const char* ComReadText();
  // One read of up to count bytes that waits at most ms: the count read, or
  // -1 when the read (or setting its time-out) failed.
  int ComReadFor(uint8_t* buffer, int count, uint32_t ms);
  int ComRestoreLine(uint32_t baud);

  // Service-mode frames (ServiceFrames.cpp). Every frame sent is owed a
  // reply, and every reply found is counted for the send it answers.
  int ComSend(ServiceFrame& frame);  // bytes written
  uint32_t LastSendId() const { return replies_.LastSendId(); }
  // The reply to the last frame sent, waited for about 300 ms; replies to
  // earlier sends that come meanwhile are passed over. 1 when it came and is
  // of this type with minLength <= N < 32 (its payload then in frame).
  int ComReceive(uint8_t type, uint8_t minLength, ServiceFrame& frame);
  // The next reply to any owed send, read frame by frame until deadlineMs
  // (on sys::TickMs). 1 with it; 0 at the deadline.
  int AwaitReply(uint32_t deadlineMs, ReceivedReply* reply);
  // Waits as long as a reply may take for the replies still owed, showing
  // each to `seen` (if given); those that do not come are taken as lost.
  // A clean exchange owes nothing here and waits for nothing.
  template <typename Seen>
  void DrainOwedReplies(Seen seen);
  void DrainOwedReplies() {
    DrainOwedReplies([](const ReceivedReply&) {});
  }
  int SendPing();
  int PingPhone();
  int QueryBlockInfo(uint16_t blockId, uint16_t* length, uint8_t* infoByte);
  int RequestPowerOff();

  // AT commands into the service mode (AtEntry.cpp).
  int EnterServiceMode();

  // Block write (BlockWrite.cpp). Returns size when every chunk was taken;
  // otherwise the offset of the first chunk that did not get through (given
  // up, its frame could not be written, or the job was stopped before it),
  // after which no chunk is sent; 0 when nothing could start or the open was
  // refused.
  int WriteBlock(uint16_t blockId, uint16_t size, uint8_t infoByte, const uint8_t* data,
                 BlockWriteObserver* observer = nullptr);

  // Power-on by the boot handshake (BootPowerOn.cpp). A stop ends it
  // between two tries of the handshake; the boot code, once begun, goes
  // out whole.
  int BootPowerOn(unsigned attempts, BootAttemptObserver* observer = nullptr);
  int TryBootPowerOn();
  int BootHandshake();
  int SendBootCode(unsigned first, unsigned second, unsigned third);
  int SendBootBlock(unsigned length, const uint8_t* bytes);
  int ReadByteWithTimeout(uint8_t* out, uint32_t ms);

  // While the flag is set, no new exchange starts: pings, AT text, boot
  // bytes and data chunks are not sent, so every exchange in progress winds
  // down; only a block write already opened still sends its close and
  // finishing frames, so the phone is not left with the block open. A job
  // that is being abandoned (or told to stop by its user) sets it.
  void SetStopFlag(const std::atomic<bool>* flag) { stop_ = flag; }

  bool IsOpen() const { return handle != nullptr; }

  sys::SerialDevice* handle = nullptr;
  sys::Dcb dcb = {};

 private:
  bool StopRequested() const { return stop_ && stop_->load(); }
  int WriteByteEvenIfStopped(unsigned value);
  const std::atomic<bool>* stop_ = nullptr;
  ReplyTracker replies_;
};

template <typename Seen>
void SerialPort::DrainOwedReplies(Seen seen) {
  ReceivedReply reply;
  while (replies_.Owes() && AwaitReply(replies_.OwedDeadlineMs(), &reply)) seen(reply);
  if (replies_.Owes()) replies_.GiveUpOwed();
}

// The process's one port; every phone job opens and closes it.
extern SerialPort PhonePort;

// The boot code as it was last sent (patched in place by SendBootCode).
extern uint8_t BootCode[kBootCodeSize];
