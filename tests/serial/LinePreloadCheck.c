/* Runs with the modem-line preload library in LD_PRELOAD: a pty gets modem
 * lines, other devices keep the real calls, and every change and tcsetattr
 * on the pty appears as an event line. Built for both word sizes; the 32-bit
 * build uses 64-bit time, so its ioctl calls arrive as __ioctl_time64 as
 * Wine's do. */
#define _GNU_SOURCE
#include <errno.h>
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

#define CHECK(condition)                                                 \
  do {                                                                   \
    if (!(condition)) {                                                  \
      fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #condition); \
      ++failures;                                                        \
    }                                                                    \
  } while (0)

static int Lines(int fd) {
  int bits = -1;
  CHECK(ioctl(fd, TIOCMGET, &bits) == 0);
  return bits;
}

static int Change(int fd, unsigned long request, int bits) { return ioctl(fd, request, &bits); }

static void ReadAll(const char *path, char *text, size_t size) {
  text[0] = '\0';
  int fd = open(path, O_RDONLY);
  if (fd < 0) return;
  ssize_t n = read(fd, text, size - 1);
  text[n > 0 ? n : 0] = '\0';
  close(fd);
}

static void Format(int fd, speed_t speed, tcflag_t format) {
  struct termios tio;
  CHECK(tcgetattr(fd, &tio) == 0);
  cfmakeraw(&tio);
  cfsetispeed(&tio, speed);
  cfsetospeed(&tio, speed);
  tio.c_cflag = (tio.c_cflag & ~(tcflag_t)(CSIZE | PARENB | PARODD | CSTOPB)) | format;
  /* A pty drops parity and data bits, which glibc reports as EINVAL; with
   * the library the pty keeps them for the program, so that is success. */
  CHECK(tcsetattr(fd, TCSANOW, &tio) == 0);
}

int main(void) {
  char dir[] = "/tmp/quavrel-lines-XXXXXX";
  if (mkdtemp(dir) == NULL) return 2;
  char events[256], fifo[256], tty[128];
  snprintf(events, sizeof events, "%s/events", dir);
  snprintf(fifo, sizeof fifo, "%s/fifo", dir);
  setenv(QUAVREL_LINE_EVENTS_ENV, events, 1);

  int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, tty, sizeof tty) != 0) return 2;
  int port = open(tty, O_RDWR | O_NOCTTY);
  int second = open(tty, O_RDWR | O_NOCTTY);
  if (port < 0 || second < 0) return 2;

  /* The lines start raised, as a tty's do when it is opened. */
  int bits = Lines(port);
  CHECK((bits & (TIOCM_DTR | TIOCM_RTS)) == (TIOCM_DTR | TIOCM_RTS));

  /* A DTR pulse, then RTS dropped through another descriptor of the same
   * pty: the lines belong to the device. */
  CHECK(Change(port, TIOCMBIS, TIOCM_DTR) == 0);
  CHECK(Change(port, TIOCMBIC, TIOCM_DTR) == 0);
  CHECK((Lines(second) & (TIOCM_DTR | TIOCM_RTS)) == TIOCM_RTS);
  CHECK(Change(second, TIOCMBIC, TIOCM_RTS) == 0);
  CHECK((Lines(port) & (TIOCM_DTR | TIOCM_RTS)) == 0);
  CHECK(Change(port, TIOCMSET, TIOCM_DTR) == 0);
  CHECK((Lines(port) & (TIOCM_DTR | TIOCM_RTS)) == TIOCM_DTR);
  CHECK(Change(port, TIOCMBIS, TIOCM_DTR) == 0); /* no change, no event */

  /* Settings as asked, though the kernel keeps neither parity nor 7 bits;
   * tcgetattr shows the format asked for, so a later read-change-write
   * (here: only the rate) keeps it. */
  Format(port, B19200, CS8 | PARENB);
  struct termios kernel, shown;
  CHECK(ioctl(port, TCGETS, &kernel) == 0 && !(kernel.c_cflag & PARENB));
  CHECK(tcgetattr(second, &shown) == 0 && (shown.c_cflag & (CSIZE | PARENB | PARODD)) == (CS8 | PARENB));
  cfsetospeed(&shown, B38400);
  CHECK(tcsetattr(port, TCSANOW, &shown) == 0);
  Format(port, B57600, CS7 | PARENB | PARODD | CSTOPB);

  /* Other devices and requests go to the real calls, and report nothing. */
  int pipeEnds[2];
  CHECK(pipe(pipeEnds) == 0);
  errno = 0;
  CHECK(ioctl(pipeEnds[0], TIOCMGET, &bits) == -1 && errno == ENOTTY);
  CHECK(Change(pipeEnds[1], TIOCMBIS, TIOCM_DTR) == -1 && errno == ENOTTY);
  struct termios any;
  memset(&any, 0, sizeof any);
  CHECK(tcsetattr(pipeEnds[0], TCSANOW, &any) == -1);

  char expected[2048], text[4096];
  snprintf(expected, sizeof expected,
           "%1$s DTR 1\n%1$s DTR 0\n%1$s RTS 0\n%1$s DTR 1\n"
           "%1$s LINE 19200 8 E 1\n%1$s LINE 38400 8 E 1\n%1$s LINE 57600 7 O 2\n",
           tty);
  ReadAll(events, text, sizeof text);
  CHECK(strcmp(expected, text) == 0);
  if (strcmp(expected, text) != 0) fprintf(stderr, "events:\n%s\nexpected:\n%s", text, expected);

  /* A FIFO that nobody reads costs nothing and stops nothing... */
  CHECK(mkfifo(fifo, 0600) == 0);
  setenv(QUAVREL_LINE_EVENTS_ENV, fifo, 1);
  CHECK(Change(port, TIOCMBIS, TIOCM_RTS) == 0);
  /* ...and one that is read gets the event in one piece. */
  int reader = open(fifo, O_RDONLY | O_NONBLOCK);
  CHECK(reader >= 0);
  CHECK(Change(port, TIOCMBIC, TIOCM_DTR) == 0);
  ssize_t n = read(reader, text, sizeof text - 1);
  text[n > 0 ? n : 0] = '\0';
  snprintf(expected, sizeof expected, "%s DTR 0\n", tty);
  CHECK(strcmp(expected, text) == 0);

  close(reader);
  unlink(fifo);
  unlink(events);
  rmdir(dir);
  if (failures == 0) printf("line preload: all checks passed\n");
  return failures ? 1 : 0;
}
