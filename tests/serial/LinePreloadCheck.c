// Runs with the modem-line preload library in LD_PRELOAD: a pty gets modem
// lines, and every change and tcsetattr on it appears as an event line.
// Built for both word sizes; the 32-bit build uses 64-bit time, so its ioctl
// calls arrive as __ioctl_time64 as Wine's do.
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "LineEvents.h"

static int failures;

#define CHECK(condition) \
  ((condition) ? (void)0 : (void)(++failures, fprintf(stderr, "line %d failed: %s\n", __LINE__, #condition)))

// DTR and RTS as the device reports them.
static int Lines(int fd) {
  int bits = 0;
  return ioctl(fd, TIOCMGET, &bits) == 0 ? bits & (TIOCM_DTR | TIOCM_RTS) : -1;
}

static int Change(int fd, unsigned long request, int bits) { return ioctl(fd, request, &bits); }

// Whether what the descriptor reads (closed after) is `expected`.
static int Reads(int fd, const char *expected) {
  char text[4096];
  ssize_t n = fd < 0 ? 0 : read(fd, text, sizeof text - 1);
  text[n > 0 ? n : 0] = '\0';
  if (fd >= 0) close(fd);
  if (strcmp(expected, text) != 0) fprintf(stderr, "read:\n%s\nexpected:\n%s", text, expected);
  return strcmp(expected, text) == 0;
}

int main(void) {
  char dir[] = "/tmp/quavrel-lines-XXXXXX", events[256], fifo[256], tty[128], expected[2048];
  if (mkdtemp(dir) == NULL) return 2;
  snprintf(events, sizeof events, "%s/events", dir);
  snprintf(fifo, sizeof fifo, "%s/fifo", dir);
  setenv(QUAVREL_LINE_EVENTS_ENV, events, 1);
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, tty, sizeof tty) != 0) return 2;
  int port = open(tty, O_RDWR | O_NOCTTY), second = open(tty, O_RDWR | O_NOCTTY);
  if (port < 0 || second < 0) return 2;

  // The lines start raised, as a tty's do, and belong to the device, not to
  // one descriptor. Setting a line to the level it has reports nothing.
  CHECK(Lines(port) == (TIOCM_DTR | TIOCM_RTS));
  CHECK(Change(port, TIOCMBIS, TIOCM_DTR) == 0);
  CHECK(Change(port, TIOCMBIC, TIOCM_DTR) == 0);
  CHECK(Change(second, TIOCMBIC, TIOCM_RTS) == 0);
  CHECK(Change(port, TIOCMSET, TIOCM_DTR) == 0);
  CHECK(Lines(second) == TIOCM_DTR);
  CHECK(Change(port, TIOCMBIS, TIOCM_DTR) == 0);

  // The kernel keeps no parity on a pty, but tcgetattr shows the format
  // asked for, so writing back what was read keeps it, as Wine needs. That
  // write changes nothing the kernel keeps, so it would fail with EINVAL.
  struct termios tio, shown;
  CHECK(tcgetattr(port, &tio) == 0);
  cfmakeraw(&tio);
  cfsetspeed(&tio, B19200);
  tio.c_cflag = (tio.c_cflag & ~(tcflag_t)(CSIZE | PARODD | CSTOPB)) | CS8 | PARENB;
  CHECK(tcsetattr(port, TCSANOW, &tio) == 0);
  CHECK(tcgetattr(second, &shown) == 0 && (shown.c_cflag & (CSIZE | PARENB | PARODD)) == (CS8 | PARENB));
  CHECK(tcsetattr(port, TCSANOW, &shown) == 0);

  snprintf(expected, sizeof expected,
           "%1$s DTR 1\n%1$s DTR 0\n%1$s RTS 0\n%1$s DTR 1\n%1$s LINE 19200 8 E 1\n%1$s LINE 19200 8 E 1\n", tty);
  CHECK(Reads(open(events, O_RDONLY), expected));

  // A FIFO that nobody reads stops nothing; one that is read gets each event
  // in one piece.
  CHECK(mkfifo(fifo, 0600) == 0);
  setenv(QUAVREL_LINE_EVENTS_ENV, fifo, 1);
  CHECK(Change(port, TIOCMBIS, TIOCM_RTS) == 0);
  int reader = open(fifo, O_RDONLY | O_NONBLOCK);
  CHECK(Change(port, TIOCMBIC, TIOCM_DTR) == 0);
  snprintf(expected, sizeof expected, "%s DTR 0\n", tty);
  CHECK(Reads(reader, expected));

  unlink(fifo);
  unlink(events);
  rmdir(dir);
  return failures ? 1 : 0;
}
