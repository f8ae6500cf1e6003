#pragma once
// The parts of a Win32 line-settings record that termios can carry, and the
// names under which the POSIX build finds a port. Pure functions, so the
// mapping is checked without a device.
#include <termios.h>

#include <cstdint>
#include <string>

#include "sys/Serial.h"

namespace sys {
namespace serialtermios {

// "COM1".."COM9" (any case) are /dev/ttyS0../dev/ttyS8, as Wine maps them;
// any other name is taken as a device path.
std::string DevicePath(const char* name);

// The termios speed constant for a standard rate, or 0 (B0) for none.
speed_t StandardSpeed(uint32_t baud);
// The rate of a speed constant, or 0 when it is not a fixed rate.
uint32_t SpeedRate(speed_t speed);

// Puts a freshly opened line into the state a Win32 port starts in: bytes
// pass unchanged both ways (no echo, no line editing, no CR/LF translation,
// no software flow control), the modem status lines do not gate the line,
// and reads never block in the driver. Rate, character format and hardware
// flow control stay as the driver had them.
void MakeRaw(termios* tio);

// Writes the record's character format (ByteSize, Parity, StopBits), parity
// checking, software and hardware flow control and the XON/XOFF characters
// into tio. The rate is set apart. False (and errno EINVAL) for a record that
// Win32 would refuse too; tio is then unchanged.
bool ApplyDcb(const Dcb& dcb, termios* tio);

// Whether the driver applied all of `asked` except the character format
// (data bits, parity), which a pty, or a driver that cannot send that
// format, drops. glibc then reports EINVAL although the rest took effect.
bool AppliedApartFromFormat(const termios& asked, const termios& applied);

// Overwrites in dcb what the driver's termios says (rate, character format,
// flow control, XON/XOFF characters); every field termios has no notion of
// keeps the value it has in dcb.
void ReadDcb(const termios& tio, uint32_t baud, Dcb* dcb);

}  // namespace serialtermios
}  // namespace sys
