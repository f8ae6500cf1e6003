/* Line events: what the modem-line preload library tells the simulated phone
 * about a pseudo-terminal that a program uses as its serial port. A pty has
 * no modem lines and drops parity, so the phone cannot see DTR, RTS or the
 * character format on it; the library notes them as the program sets them.
 *
 * Where: the path in the environment variable QUAVREL_LINE_EVENTS, a FIFO
 * (events are then only written while someone reads it) or a plain file
 * (created if absent, appended to). Unset or empty: no events.
 *
 * When: one line per call, written before the call returns to the program,
 * so every event reaches the reader before any byte that the program sends
 * after that call.
 *
 * Format: ASCII, fields separated by one blank, each line ending in "\n":
 *
 *   <tty> DTR <0|1>
 *   <tty> RTS <0|1>
 *   <tty> LINE <baud> <data bits> <parity> <stop bits>
 *
 *   <tty>        the device path of the pty's slave side, e.g. /dev/pts/3
 *   DTR, RTS     the line's new level when a TIOCMBIS, TIOCMBIC or
 *                TIOCMSET call changes it; the first such call on a pty
 *                reports the lines it names even unchanged (both start
 *                raised), so the reader learns their level
 *   LINE         the settings a successful tcsetattr asked for, before the
 *                kernel dropped what a pty cannot keep:
 *     <baud>      decimal rate, 0 when it is not one of the fixed rates
 *     <data bits> 5, 6, 7 or 8
 *     <parity>    N none, O odd, E even, M mark, S space
 *     <stop bits> 1, or 2 when two were asked for (1.5 with 5 data bits)
 *
 * The library also makes tcgetattr on a pty report the data bits and parity
 * last asked for (the kernel's own state is still there through ioctl
 * TCGETS), so read-change-write sequences keep them.
 *
 * Example:
 *   /dev/pts/3 LINE 19200 8 E 1
 *   /dev/pts/3 DTR 1
 *   /dev/pts/3 DTR 0
 */
#ifndef QUAVREL_SIM_LINEPRELOAD_LINEEVENTS_H
#define QUAVREL_SIM_LINEPRELOAD_LINEEVENTS_H

#define QUAVREL_LINE_EVENTS_ENV "QUAVREL_LINE_EVENTS"

/* Longest event line including its newline. Below PIPE_BUF, so that each
 * line reaches a FIFO in one piece even with several writers. */
#define QUAVREL_LINE_EVENT_MAX 256

#endif
