#pragma once
// A serial device as Win32 sees a COM port: the same calls, the same record
// layouts, the same meaning of the time-outs. The Win32 build passes them
// straight to the API; POSIX maps them onto termios; tests use a simulated
// device on a virtual clock.
#include <cstdint>

namespace sys {

// Mirrors the Win32 DCB field for field (28 bytes), so a record read from a
// driver can be kept and written back unchanged.
struct Dcb {
  uint32_t DCBlength;
  uint32_t BaudRate;
  uint32_t fBinary : 1;
  uint32_t fParity : 1;
  uint32_t fOutxCtsFlow : 1;
  uint32_t fOutxDsrFlow : 1;
  uint32_t fDtrControl : 2;
  uint32_t fDsrSensitivity : 1;
  uint32_t fTXContinueOnXoff : 1;
  uint32_t fOutX : 1;
  uint32_t fInX : 1;
  uint32_t fErrorChar : 1;
  uint32_t fNull : 1;
  uint32_t fRtsControl : 2;
  uint32_t fAbortOnError : 1;
  uint32_t fDummy2 : 17;
  uint16_t wReserved;
  uint16_t XonLim;
  uint16_t XoffLim;
  uint8_t ByteSize;
  uint8_t Parity;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
  uint8_t StopBits;  // 0 one, 1 one and a half, 2 two
  char XonChar;
  char XoffChar;
  char ErrorChar;
  char EofChar;
  char EvtChar;
  uint16_t wReserved1;
};
static_assert(sizeof(Dcb) == 28, "Dcb must match the Win32 DCB");

struct CommTimeouts {
  uint32_t ReadIntervalTimeout;
  uint32_t ReadTotalTimeoutMultiplier;
  uint32_t ReadTotalTimeoutConstant;
  uint32_t WriteTotalTimeoutMultiplier;
  uint32_t WriteTotalTimeoutConstant;
};

// EscapeCommFunction codes, as in Win32.
enum : unsigned {
  kSetXoff = 1,
  kSetXon = 2,
  kSetRts = 3,
  kClrRts = 4,
  kSetDtr = 5,
  kClrDtr = 6,
  kSetBreak = 8,
  kClrBreak = 9,
};
// PurgeComm flags, as in Win32.
enum : unsigned { kPurgeTxAbort = 1, kPurgeRxAbort = 2, kPurgeTxClear = 4, kPurgeRxClear = 8 };

class SerialDevice {
 public:
  virtual ~SerialDevice() = default;  // CloseHandle
  virtual bool GetCommState(Dcb* dcb) = 0;
  virtual bool SetCommState(const Dcb& dcb) = 0;
  virtual bool SetCommTimeouts(const CommTimeouts& timeouts) = 0;
  virtual bool EscapeCommFunction(unsigned function) = 0;
  virtual bool PurgeComm(unsigned flags) = 0;
  virtual bool ClearCommError(unsigned* errors) = 0;
  // Waits until count bytes are in or the read total time-out has passed,
  // then succeeds with what came (possibly nothing).
  virtual bool ReadFile(void* buffer, unsigned count, unsigned* read) = 0;
  virtual bool WriteFile(const void* bytes, unsigned count, unsigned* written) = 0;
};

// The number n of a port named "COMn" (any case, n 1 to 9), or 0 for any
// other name: such names are the program's own, whatever device they mean.
int ComPortNumber(const char* name);

class SerialOpener {
 public:
  virtual ~SerialOpener() = default;
  // CreateFileA(name, read|write, no sharing, OPEN_EXISTING): the caller
  // owns the result; nullptr (and LastError set) when it cannot be opened.
  virtual SerialDevice* Open(const char* name) = 0;
};

SerialOpener& PlatformSerialOpener();
SerialOpener& CurrentSerialOpener();
void SetSerialOpener(SerialOpener* opener);  // nullptr restores the platform's

}  // namespace sys
