#include "link/SerialPort.h"

#include <cstdio>
#include <cstring>

#include "sys/Clock.h"

SerialPort PhonePort;

namespace {

// Filled by ComReadText; valid until its next call. Only the job that holds
// the port reads text, so one buffer serves the process.
char ReplyBuffer[kReplyBufferSize];

constexpr uint32_t kTextReplyMs = 250;
// After "OK\r" the line end that follows comes at once; once the line has
// been quiet this long the reply is over.
constexpr uint32_t kTextQuietMs = 10;

// How many more bytes could complete "OK\r" after what the text ends with:
// reading no more than that never takes bytes beyond the reply.
int BytesToCompleteOk(const char* text, size_t length) {
  if (length >= 2 && text[length - 2] == 'O' && text[length - 1] == 'K') return 1;
  if (length >= 1 && text[length - 1] == 'O') return 2;
  return 3;
}

}  // namespace

int SerialPort::ComOpen(int index, uint32_t baud) {
  if (index < 0 || index > 8) return 0;
  if (handle) return 0;
  char name[5];
  snprintf(name, sizeof name, "COM%d", index + 1);
  sys::SerialDevice* device = sys::CurrentSerialOpener().Open(name);
  if (!device) return 0;
  handle = device;
  replies_.Forget();
  dcb = sys::Dcb{};
  handle->GetCommState(&dcb);
  if (!ComSetup(baud, 0, kNoParity, 8)) {
    ComClose();
    return 0;
  }
  return 1;
}

int SerialPort::ComClose() {
  if (!handle) return 0;
  delete handle;
  handle = nullptr;
  replies_.Forget();
  return 1;
}

int SerialPort::ComSetup(uint32_t baud, uint8_t stopBits, uint8_t parity, uint8_t byteSize) {
  if (!handle) return 0;
  // Only these fields are ours; flow control and the modem-line modes stay
  // as the driver reported them at open.
  dcb.DCBlength = sizeof(sys::Dcb);
  dcb.BaudRate = baud;
  dcb.ByteSize = byteSize;
  dcb.StopBits = stopBits;
  dcb.Parity = parity;
  // The letters n, f, r and v fill the special characters: none of them
  // acts on the line, since software flow control, error replacement and
  // event waits stay off as the driver reported them. Fixed, so that every
  // port is set up alike whatever its driver left there.
  dcb.XonChar = 'n';
  dcb.XoffChar = 'f';
  dcb.ErrorChar = 'r';
  dcb.EofChar = 0;
  dcb.EvtChar = 'v';
  if (!handle->SetCommState(dcb)) return 0;
  if (!ComSetTimeouts(250, 250)) return 0;
  if (!handle->EscapeCommFunction(sys::kSetRts)) return 0;
  return 1;
}

int SerialPort::ComSetTimeouts(uint32_t readTotal, uint32_t writeTotal) {
  if (!handle) return 0;
  sys::CommTimeouts timeouts = {0, 0, readTotal, 0, writeTotal};
  return handle->SetCommTimeouts(timeouts) ? 1 : 0;
}

int SerialPort::ComGetState(uint32_t* baud, uint8_t* stopBits, uint8_t* parity,
                            uint8_t* byteSize) {
  if (!handle) return 0;
  sys::Dcb current = {};
  if (!handle->GetCommState(&current)) return 0;
  if (baud) *baud = current.BaudRate;
  if (stopBits) *stopBits = current.StopBits;
  if (parity) *parity = current.Parity;
  if (byteSize) *byteSize = current.ByteSize;
  return 1;
}

int SerialPort::ComReadByte(uint8_t* out) {
  if (!handle) return 0;
  uint8_t byte = 0;
  unsigned read = 0;
  if (!handle->ReadFile(&byte, 1, &read)) return 0;
  if (read == 1) *out = byte;
  return 1;
}

int SerialPort::ComWriteByte(unsigned value) {
  if (StopRequested()) return 0;
  return WriteByteEvenIfStopped(value);
}

int SerialPort::WriteByteEvenIfStopped(unsigned value) {
  if (!handle) return 0;
  uint8_t byte = static_cast<uint8_t>(value);
  unsigned written = 0;
  return handle->WriteFile(&byte, 1, &written) ? 1 : 0;
}

int SerialPort::ComWriteText(const char* text) {
  if (!handle || !text || StopRequested()) return 0;
  size_t length = strnlen(text, kReplyBufferSize - 1);
  unsigned written = 0;
  if (!handle->WriteFile(text, static_cast<unsigned>(length), &written)) return 0;
  return static_cast<int>(written);
}

const char* SerialPort::ComReadText() {
  memset(ReplyBuffer, 0, sizeof ReplyBuffer);
  if (!handle) return ReplyBuffer;
  auto* buffer = reinterpret_cast<uint8_t*>(ReplyBuffer);
  const uint32_t deadline = sys::TickMs() + kTextReplyMs;
  int have = 0;
  bool okSeen = false;
  while (have < kReplyBufferSize) {
    // The text ends at its first zero byte: only an "OK\r" before one counts.
    // (Below 256 bytes the buffer is still zero-terminated.)
    const size_t text = strnlen(ReplyBuffer, have);
    const bool whole = text == static_cast<size_t>(have);
    okSeen = okSeen || (whole && strstr(ReplyBuffer, "OK\r"));
    int got;
    if (okSeen) {
      // The line end that follows comes at once; a byte at a time, so the
      // reply ends as soon as the line has been quiet that long.
      got = ComReadFor(buffer + have, 1, kTextQuietMs);
    } else {
      const uint32_t left = sys::MsLeft(deadline);
      if (left == 0) break;
      const int want = whole ? BytesToCompleteOk(ReplyBuffer, text) : kReplyBufferSize - have;
      got = ComReadFor(buffer + have, want, left);
    }
    if (got <= 0) break;
    have += got;
  }
  return ReplyBuffer;
}

int SerialPort::ComReadFor(uint8_t* buffer, int count, uint32_t ms) {
  if (!handle || count <= 0 || !ComSetTimeouts(ms, ms)) return -1;
  unsigned read = 0;
  if (!handle->ReadFile(buffer, static_cast<unsigned>(count), &read)) return -1;
  return static_cast<int>(read);
}

int SerialPort::ComRestoreLine(uint32_t baud) {
  if (!handle || !handle->EscapeCommFunction(sys::kClrDtr)) return 0;
  return ComSetup(baud, 0, kNoParity, 8);
}
