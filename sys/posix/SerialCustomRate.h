#pragma once
// Rates outside the fixed termios table, through Linux's termios2 (BOTHER).
// Apart from the rest of the device because <asm/termbits.h> cannot share a
// file with <termios.h>.
#include <cstdint>

namespace sys {
namespace serialrate {

// Sets input and output rate to baud, leaving every other setting alone.
// False (errno set) when the driver refuses it.
bool SetCustomRate(int fd, uint32_t baud);
// The output rate as the driver holds it, whatever way it was set.
bool GetCustomRate(int fd, uint32_t* baud);

}  // namespace serialrate
}  // namespace sys
