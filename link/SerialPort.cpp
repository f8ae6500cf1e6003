#include "link/SerialPort.h"

#include <cstdio>
#include <cstring>

SerialPort PhonePort;

namespace {

// Filled by ComReadText; valid until its next call. Only the job that holds
// the port reads text, so one buffer serves the process.
char ReplyBuffer[kReplyBufferSize];

}  // namespace

int SerialPort::ComOpen(int index, uint32_t baud) {
  if (index < 0 || index > 8) return 0;
  if (handle) return 0;
  char name[5];
  snprintf(name, sizeof name, "COM%d", index + 1);
  sys::SerialDevice* device = sys::CurrentSerialOpener().Open(name);
  if (!device) return 0;
  handle = device;
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
  if (!handle || StopRequested()) return 0;
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
  if (handle) {
    unsigned read = 0;
    handle->ReadFile(ReplyBuffer, sizeof ReplyBuffer, &read);
  }
  return ReplyBuffer;
}

int SerialPort::ComReadRaw(uint8_t* buffer) {
  memset(buffer, 0, kFrameBufferSize);
  if (!handle) return 0;
  ComSetTimeouts(50, 50);
  unsigned read = 0;
  if (!handle->ReadFile(buffer, kFrameBufferSize, &read)) return 0;
  return static_cast<int>(read);
}

int SerialPort::ComRestoreLine(uint32_t baud) {
  if (!handle || !handle->EscapeCommFunction(sys::kClrDtr)) return 0;
  return ComSetup(baud, 0, kNoParity, 8);
}
