#include "sys/posix/SerialTermios.h"

#include <errno.h>

#include <cstring>

namespace sys {
namespace serialtermios {
namespace {

struct RateEntry {
  uint32_t baud;
  speed_t speed;
};

const RateEntry kRates[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

enum : uint8_t { kNoParity = 0, kOdd = 1, kEven = 2, kMark = 3, kSpace = 4 };
enum : uint8_t { kOneStop = 0, kOneAndHalfStop = 1, kTwoStop = 2 };
enum : unsigned { kRtsEnable = 1, kRtsHandshake = 2 };

tcflag_t SizeFlag(uint8_t byteSize) {
  switch (byteSize) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
  }
}

uint8_t ByteSizeOf(tcflag_t cflag) {
  switch (cflag & CSIZE) {
    case CS5: return 5;
    case CS6: return 6;
    case CS7: return 7;
    default: return 8;
  }
}

}  // namespace

std::string DevicePath(const char* name) {
  const int number = ComPortNumber(name);
  return number ? "/dev/ttyS" + std::to_string(number - 1) : std::string(name);
}

speed_t StandardSpeed(uint32_t baud) {
  for (const RateEntry& entry : kRates) {
    if (entry.baud == baud) return entry.speed;
  }
  return B0;
}

uint32_t SpeedRate(speed_t speed) {
  for (const RateEntry& entry : kRates) {
    if (entry.speed == speed) return entry.baud;
  }
  return 0;
}

void MakeRaw(termios* tio) {
  tio->c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                                          IXOFF | IXANY | IMAXBEL | INPCK | IUCLC);
  tio->c_oflag &= ~static_cast<tcflag_t>(OPOST);
  tio->c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
  tio->c_cflag |= CREAD | CLOCAL;
  tio->c_cc[VMIN] = 0;
  tio->c_cc[VTIME] = 0;
}

bool ApplyDcb(const Dcb& dcb, termios* tio) {
  bool valid = dcb.ByteSize >= 5 && dcb.ByteSize <= 8 && dcb.Parity <= kSpace && dcb.StopBits <= kTwoStop &&
               // A UART sends one and a half stop bits only with five data bits, and two never with five.
               (dcb.StopBits != kOneAndHalfStop || dcb.ByteSize == 5) &&
               (dcb.StopBits != kTwoStop || dcb.ByteSize != 5) && dcb.XonChar != dcb.XoffChar;
  if (!valid) {
    errno = EINVAL;
    return false;
  }
  tcflag_t cflag = tio->c_cflag & ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  cflag |= SizeFlag(dcb.ByteSize);
  switch (dcb.Parity) {
    case kOdd: cflag |= PARENB | PARODD; break;
    case kEven: cflag |= PARENB; break;
    case kMark: cflag |= PARENB | CMSPAR | PARODD; break;
    case kSpace: cflag |= PARENB | CMSPAR; break;
    default: break;
  }
  if (dcb.StopBits != kOneStop) cflag |= CSTOPB;
  if (dcb.fOutxCtsFlow || dcb.fRtsControl == kRtsHandshake) cflag |= CRTSCTS;

  tcflag_t iflag = tio->c_iflag & ~static_cast<tcflag_t>(INPCK | IXON | IXOFF);
  if (dcb.fParity) iflag |= INPCK;
  if (dcb.fOutX) iflag |= IXON;
  if (dcb.fInX) iflag |= IXOFF;

  tio->c_cflag = cflag;
  tio->c_iflag = iflag;
  tio->c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
  tio->c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
  return true;
}

bool AppliedApartFromFormat(const termios& asked, const termios& applied) {
  const tcflag_t format = CSIZE | PARENB | PARODD | CMSPAR;
  return asked.c_iflag == applied.c_iflag && asked.c_oflag == applied.c_oflag &&
         asked.c_lflag == applied.c_lflag && (asked.c_cflag & ~format) == (applied.c_cflag & ~format) &&
         cfgetispeed(&asked) == cfgetispeed(&applied) && cfgetospeed(&asked) == cfgetospeed(&applied) &&
         asked.c_cc[VSTART] == applied.c_cc[VSTART] && asked.c_cc[VSTOP] == applied.c_cc[VSTOP] &&
         asked.c_cc[VMIN] == applied.c_cc[VMIN] && asked.c_cc[VTIME] == applied.c_cc[VTIME];
}

void ReadDcb(const termios& tio, uint32_t baud, Dcb* dcb) {
  dcb->DCBlength = sizeof(Dcb);
  dcb->BaudRate = baud;
  dcb->fBinary = 1;  // termios has no text mode for a serial line
  dcb->ByteSize = ByteSizeOf(tio.c_cflag);
  if (!(tio.c_cflag & PARENB)) {
    dcb->Parity = kNoParity;
  } else if (tio.c_cflag & CMSPAR) {
    dcb->Parity = (tio.c_cflag & PARODD) ? kMark : kSpace;
  } else {
    dcb->Parity = (tio.c_cflag & PARODD) ? kOdd : kEven;
  }
  if (!(tio.c_cflag & CSTOPB)) {
    dcb->StopBits = kOneStop;
  } else {
    dcb->StopBits = dcb->ByteSize == 5 ? kOneAndHalfStop : kTwoStop;
  }
  dcb->fParity = (tio.c_iflag & INPCK) ? 1 : 0;
  dcb->fOutX = (tio.c_iflag & IXON) ? 1 : 0;
  dcb->fInX = (tio.c_iflag & IXOFF) ? 1 : 0;
  // CRTSCTS is both directions of hardware flow control at once.
  if (tio.c_cflag & CRTSCTS) {
    dcb->fOutxCtsFlow = 1;
    dcb->fRtsControl = kRtsHandshake;
  } else {
    dcb->fOutxCtsFlow = 0;
    if (dcb->fRtsControl == kRtsHandshake) dcb->fRtsControl = kRtsEnable;
  }
  dcb->XonChar = static_cast<char>(tio.c_cc[VSTART]);
  dcb->XoffChar = static_cast<char>(tio.c_cc[VSTOP]);
}

}  // namespace serialtermios
}  // namespace sys
