/* Modem lines for pseudo-terminals, loaded with LD_PRELOAD.
 *
 * A pty refuses the modem-control requests (TIOCMGET, TIOCMSET, TIOCMBIS,
 * TIOCMBIC fail with ENOTTY), so a program that raises RTS or pulses DTR on
 * its serial port fails on one. This library answers those requests for pty
 * slaves itself, keeping the lines' levels per device, and passes every
 * other request and every other device to the real call. It also notes each
 * line change and each tcsetattr on a pty for the simulated phone
 * (LineEvents.h), because the kernel drops parity on a pty before the other
 * side could see it. For the same reason tcgetattr on a pty reports the
 * character format last asked for, as a real port would: Wine sets a port up
 * in several read-change-write steps, and without this every step after the
 * one that set the parity would write the pty's 8N back as a new request.
 *
 * Both ioctl and __ioctl_time64 are wrapped: 32-bit programs built with
 * 64-bit time (Debian's i386 Wine among them) call the latter.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include "LineEvents.h"

#define EXPORT __attribute__((visibility("default")))

typedef int (*IoctlFunction)(int, unsigned long, ...);
typedef int (*TcsetattrFunction)(int, int, const struct termios *);
typedef int (*TcgetattrFunction)(int, struct termios *);

/* The character-format bits of c_cflag that a pty does not keep. */
#define FORMAT_BITS ((tcflag_t)(CSIZE | PARENB | PARODD | CMSPAR))

/* Unix98 pty slaves have the majors 136 to 143. */
static int IsPtySlave(int fd, dev_t *device) {
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return 0;
  unsigned int major_number = major(st.st_rdev);
  if (major_number < 136 || major_number > 143) return 0;
  *device = st.st_rdev;
  return 1;
}

/* ---- the event file ---- */

static int TtyPath(int fd, char *path, size_t size) {
  char link[64];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  ssize_t n = readlink(link, path, size - 1);
  if (n <= 0) return 0;
  path[n] = '\0';
  return 1;
}

/* Writes one event line. A reader that goes away mid-write must not kill the
 * program with SIGPIPE, so the signal is held back for this thread and
 * swallowed if the write raised it. */
static void WriteEvent(const char *line, size_t length) {
  const char *target = getenv(QUAVREL_LINE_EVENTS_ENV);
  if (target == NULL || *target == '\0') return;
  /* Non-blocking open: a FIFO nobody reads fails at once (ENXIO) instead of
   * stopping the program; the write itself then blocks, so no event is lost. */
  int fd = open(target, O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) return;
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);

  sigset_t pipeSignal, previousMask, pending;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSignal, &previousMask);
  sigpending(&pending);
  int wasPending = sigismember(&pending, SIGPIPE);

  size_t done = 0;
  while (done < length) {
    ssize_t n = write(fd, line + done, length - done);
    if (n > 0) {
      done += (size_t)n;
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      if (errno == EPIPE && !wasPending) {
        struct timespec now = {0, 0};
        sigtimedwait(&pipeSignal, NULL, &now);
      }
      break;
    }
  }
  pthread_sigmask(SIG_SETMASK, &previousMask, NULL);
  close(fd);
}

static void ReportLevel(int fd, const char *line_name, int level) {
  char path[200], event[QUAVREL_LINE_EVENT_MAX];
  if (!TtyPath(fd, path, sizeof path)) return;
  int n = snprintf(event, sizeof event, "%s %s %d\n", path, line_name, level ? 1 : 0);
  if (n > 0 && (size_t)n < sizeof event) WriteEvent(event, (size_t)n);
}

static unsigned long RateOf(speed_t speed) {
  static const struct {
    speed_t speed;
    unsigned long baud;
  } rates[] = {
      {B50, 50},         {B75, 75},         {B110, 110},       {B134, 134},       {B150, 150},
      {B200, 200},       {B300, 300},       {B600, 600},       {B1200, 1200},     {B1800, 1800},
      {B2400, 2400},     {B4800, 4800},     {B9600, 9600},     {B19200, 19200},   {B38400, 38400},
      {B57600, 57600},   {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B500000, 500000},
      {B576000, 576000}, {B921600, 921600}, {B1000000, 1000000}, {B1152000, 1152000},
      {B1500000, 1500000}, {B2000000, 2000000}, {B2500000, 2500000}, {B3000000, 3000000},
      {B3500000, 3500000}, {B4000000, 4000000},
  };
  for (size_t i = 0; i < sizeof rates / sizeof rates[0]; ++i) {
    if (rates[i].speed == speed) return rates[i].baud;
  }
  return 0;
}

static void ReportSettings(int fd, const struct termios *tio) {
  char path[200], event[QUAVREL_LINE_EVENT_MAX];
  if (!TtyPath(fd, path, sizeof path)) return;
  int bits;
  switch (tio->c_cflag & CSIZE) {
    case CS5: bits = 5; break;
    case CS6: bits = 6; break;
    case CS7: bits = 7; break;
    default: bits = 8; break;
  }
  char parity = 'N';
  if (tio->c_cflag & PARENB) {
    if (tio->c_cflag & CMSPAR) {
      parity = (tio->c_cflag & PARODD) ? 'M' : 'S';
    } else {
      parity = (tio->c_cflag & PARODD) ? 'O' : 'E';
    }
  }
  int n = snprintf(event, sizeof event, "%s LINE %lu %d %c %d\n", path, RateOf(cfgetospeed(tio)), bits, parity,
                   (tio->c_cflag & CSTOPB) ? 2 : 1);
  if (n > 0 && (size_t)n < sizeof event) WriteEvent(event, (size_t)n);
}

/* ---- the modem lines ---- */

/* The levels belong to the device, not to a descriptor: Wine hands the same
 * port to its calls on different descriptors. A device starts with both
 * lines raised, as opening a tty leaves them. */
struct LineState {
  dev_t device;
  int used;
  int dtr;
  int rts;
  int reported; /* a line event has been written for it */
  int formatKnown;
  tcflag_t format; /* FORMAT_BITS as last asked for */
};

#define MAX_DEVICES 64
static struct LineState states[MAX_DEVICES];
static pthread_mutex_t statesLock = PTHREAD_MUTEX_INITIALIZER;

static struct LineState *StateOf(dev_t device) {
  struct LineState *freeSlot = NULL;
  for (int i = 0; i < MAX_DEVICES; ++i) {
    if (states[i].used && states[i].device == device) return &states[i];
    if (!states[i].used && freeSlot == NULL) freeSlot = &states[i];
  }
  if (freeSlot == NULL) freeSlot = &states[0]; /* full: forget the oldest-placed one */
  freeSlot->device = device;
  freeSlot->used = 1;
  freeSlot->dtr = 1;
  freeSlot->rts = 1;
  freeSlot->reported = 0;
  freeSlot->formatKnown = 0;
  return freeSlot;
}

static int IsModemRequest(unsigned long request) {
  return request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC;
}

static int ModemLines(int fd, dev_t device, unsigned long request, int *bits) {
  if (bits == NULL) {
    errno = EFAULT;
    return -1;
  }
  pthread_mutex_lock(&statesLock);
  struct LineState *state = StateOf(device);
  if (request == TIOCMGET) {
    /* The far end counts as present and ready. */
    *bits = (state->dtr ? TIOCM_DTR : 0) | (state->rts ? TIOCM_RTS : 0) | TIOCM_CTS | TIOCM_DSR | TIOCM_CAR;
  } else {
    /* TIOCMSET sets both lines to the given bits; TIOCMBIS raises and
     * TIOCMBIC drops the lines named in them. Only changes are reported,
     * and the first request on a device, so the reader learns the level. */
    int touched = request == TIOCMSET ? (TIOCM_DTR | TIOCM_RTS) : (*bits & (TIOCM_DTR | TIOCM_RTS));
    int levels = request == TIOCMSET ? *bits : request == TIOCMBIS ? ~0 : 0;
    int first = !state->reported;
    state->reported = 1;
    if (touched & TIOCM_DTR) {
      int level = (levels & TIOCM_DTR) != 0;
      if (first || level != state->dtr) ReportLevel(fd, "DTR", level);
      state->dtr = level;
    }
    if (touched & TIOCM_RTS) {
      int level = (levels & TIOCM_RTS) != 0;
      if (first || level != state->rts) ReportLevel(fd, "RTS", level);
      state->rts = level;
    }
  }
  pthread_mutex_unlock(&statesLock);
  return 0;
}

/* ---- the wrapped calls ---- */

static IoctlFunction RealIoctl(void) {
  static IoctlFunction real;
  if (real == NULL) real = (IoctlFunction)dlsym(RTLD_NEXT, "ioctl");
  return real;
}

static IoctlFunction RealIoctlTime64(void) {
  static IoctlFunction real;
  if (real == NULL) real = (IoctlFunction)dlsym(RTLD_NEXT, "__ioctl_time64");
  return real ? real : RealIoctl();
}

static int Dispatch(IoctlFunction real, int fd, unsigned long request, void *arg) {
  dev_t device;
  if (IsModemRequest(request)) {
    int saved = errno;
    if (IsPtySlave(fd, &device)) {
      errno = saved;
      return ModemLines(fd, device, request, (int *)arg);
    }
    errno = saved;
  }
  if (real == NULL) {
    errno = ENOSYS;
    return -1;
  }
  return real(fd, request, arg);
}

EXPORT int ioctl(int fd, unsigned long request, ...) {
  va_list args;
  va_start(args, request);
  void *arg = va_arg(args, void *);
  va_end(args);
  return Dispatch(RealIoctl(), fd, request, arg);
}

EXPORT int __ioctl_time64(int fd, unsigned long request, ...) {
  va_list args;
  va_start(args, request);
  void *arg = va_arg(args, void *);
  va_end(args);
  return Dispatch(RealIoctlTime64(), fd, request, arg);
}

static TcgetattrFunction RealTcgetattr(void) {
  static TcgetattrFunction real;
  if (real == NULL) real = (TcgetattrFunction)dlsym(RTLD_NEXT, "tcgetattr");
  return real;
}

EXPORT int tcsetattr(int fd, int actions, const struct termios *tio) {
  static TcsetattrFunction real;
  if (real == NULL) real = (TcsetattrFunction)dlsym(RTLD_NEXT, "tcsetattr");
  if (real == NULL || RealTcgetattr() == NULL) {
    errno = ENOSYS;
    return -1;
  }
  int result = real(fd, actions, tio);
  dev_t device;
  if ((result == 0 || errno == EINVAL) && tio != NULL) {
    int saved = errno;
    if (IsPtySlave(fd, &device)) {
      /* glibc says EINVAL when the kernel dropped parity or data bits and
       * took the rest. The pty now keeps the format for the program
       * (tcgetattr reports it), so that is success, as on a real port. */
      struct termios applied;
      const tcflag_t keptByPty = ~(FORMAT_BITS | CREAD);
      if (result != 0 && RealTcgetattr()(fd, &applied) == 0 &&
          (applied.c_cflag & keptByPty) == (tio->c_cflag & keptByPty)) {
        result = 0;
      }
      if (result == 0) {
        pthread_mutex_lock(&statesLock);
        struct LineState *state = StateOf(device);
        state->formatKnown = 1;
        state->format = tio->c_cflag & FORMAT_BITS;
        ReportSettings(fd, tio);
        pthread_mutex_unlock(&statesLock);
      }
    }
    errno = saved;
  }
  return result;
}

EXPORT int tcgetattr(int fd, struct termios *tio) {
  TcgetattrFunction real = RealTcgetattr();
  if (real == NULL) {
    errno = ENOSYS;
    return -1;
  }
  int result = real(fd, tio);
  dev_t device;
  if (result == 0) {
    int saved = errno;
    if (IsPtySlave(fd, &device)) {
      pthread_mutex_lock(&statesLock);
      struct LineState *state = StateOf(device);
      if (state->formatKnown) tio->c_cflag = (tio->c_cflag & ~FORMAT_BITS) | state->format;
      pthread_mutex_unlock(&statesLock);
    }
    errno = saved;
  }
  return result;
}
