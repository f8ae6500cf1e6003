#include "sim/posix/PtyLine.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <sstream>

#include "sys/posix/Tty.h"

namespace sim {
namespace {

using sys::tty::Deadline;
using sys::tty::MonotonicUs;

Deadline DeadlineIn(int timeoutMs) {
  return timeoutMs < 0 ? Deadline::Never() : Deadline::AfterMs(MonotonicUs(), static_cast<uint64_t>(timeoutMs));
}

bool ParseUnsigned(const std::string& text, uint32_t* value) {
  if (text.empty() || text.size() > 10) return false;
  uint64_t result = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    result = result * 10 + static_cast<uint64_t>(c - '0');
  }
  if (result > 0xFFFFFFFFu) return false;
  *value = static_cast<uint32_t>(result);
  return true;
}

void CloseIfOpen(int* fd) {
  if (*fd >= 0) close(*fd);
  *fd = -1;
}

}  // namespace

bool ParseLineEvent(const std::string& text, LineEvent* event) {
  std::string line = text;
  if (!line.empty() && line.back() == '\n') line.pop_back();
  // The tty comes first and is the only field that could hold a blank, so
  // the fields are taken from the end.
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, ' ');) fields.push_back(field);
  if (fields.size() < 3) return false;
  auto ttyBefore = [&](size_t count) {
    std::string tty;
    for (size_t i = 0; i < count; ++i) tty += (i ? " " : "") + fields[i];
    return tty;
  };
  LineEvent parsed;
  size_t n = fields.size();
  const std::string& level = fields[n - 1];
  if ((fields[n - 2] == "DTR" || fields[n - 2] == "RTS") && (level == "0" || level == "1")) {
    parsed.kind = fields[n - 2] == "DTR" ? LineEvent::Kind::Dtr : LineEvent::Kind::Rts;
    parsed.level = level == "1";
    parsed.tty = ttyBefore(n - 2);
  } else if (n >= 6 && fields[n - 5] == "LINE") {
    uint32_t bits = 0;
    const std::string& parity = fields[n - 2];
    const std::string& stop = fields[n - 1];
    if (!ParseUnsigned(fields[n - 4], &parsed.baud) || !ParseUnsigned(fields[n - 3], &bits) || bits < 5 ||
        bits > 8 || parity.size() != 1 || std::string("NOEMS").find(parity[0]) == std::string::npos ||
        (stop != "1" && stop != "2")) {
      return false;
    }
    parsed.kind = LineEvent::Kind::Line;
    parsed.dataBits = static_cast<int>(bits);
    parsed.parity = parity[0];
    parsed.stopBits = stop == "1" ? 1 : 2;
    parsed.tty = ttyBefore(n - 5);
  } else {
    return false;
  }
  if (parsed.tty.empty()) return false;
  *event = parsed;
  return true;
}

PtyLine::~PtyLine() {
  CloseIfOpen(&events_);
  CloseIfOpen(&slave_);
  CloseIfOpen(&master_);
}

bool PtyLine::Open() {
  int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0) return false;
  char path[128];
  int slave = -1;
  termios tio;
  if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, path, sizeof path) != 0 ||
      fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK) != 0 ||
      // Holding the slave open ourselves means the master never reads EIO
      // when the program closes its port between jobs.
      (slave = open(path, O_RDWR | O_NOCTTY | O_CLOEXEC)) < 0 || tcgetattr(slave, &tio) != 0) {
    int error = errno;
    if (slave >= 0) close(slave);
    close(master);
    errno = error;
    return false;
  }
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tcsetattr(slave, TCSANOW, &tio);
  CloseIfOpen(&master_);
  CloseIfOpen(&slave_);
  master_ = master;
  slave_ = slave;
  slavePath_ = path;
  return true;
}

bool PtyLine::FollowLineEvents(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    if (errno != ENOENT || mkfifo(path.c_str(), 0600) != 0 || stat(path.c_str(), &st) != 0) return false;
  }
  bool pipe = S_ISFIFO(st.st_mode);
  // Opened for writing too, so the FIFO never reads as ended between the
  // program's writers.
  int fd = open(path.c_str(), (pipe ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  if (!pipe && lseek(fd, 0, SEEK_END) < 0) {
    int error = errno;
    close(fd);
    errno = error;
    return false;
  }
  CloseIfOpen(&events_);
  events_ = fd;
  eventsArePipe_ = pipe;
  pending_.clear();
  return true;
}

void PtyLine::MergeEvents() {
  if (events_ < 0) return;
  char chunk[4096];
  for (;;) {
    ssize_t n = ::read(events_, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    pending_.append(chunk, static_cast<size_t>(n));
  }
  size_t start = 0;
  for (size_t end; (end = pending_.find('\n', start)) != std::string::npos; start = end + 1) {
    LineEvent event;
    if (ParseLineEvent(pending_.substr(start, end - start), &event) && event.tty == slavePath_) Apply(event);
  }
  pending_.erase(0, start);
}

void PtyLine::Apply(const LineEvent& event) {
  switch (event.kind) {
    case LineEvent::Kind::Dtr: reported_.dtr = event.level ? 1 : 0; break;
    case LineEvent::Kind::Rts: reported_.rts = event.level ? 1 : 0; break;
    case LineEvent::Kind::Line:
      lineReported_ = true;
      reported_.baud = event.baud;
      reported_.dataBits = event.dataBits;
      reported_.parity = event.parity;
      reported_.stopBits = event.stopBits;
      break;
  }
  taken_.push_back(event);
}

int PtyLine::Read(void* buffer, size_t size, int timeoutMs) {
  if (master_ < 0) {
    errno = EBADF;
    return -1;
  }
  Deadline deadline = DeadlineIn(timeoutMs);
  for (;;) {
    // Events first: one that the program caused before sending these bytes
    // is already in the event stream by the time the bytes can be read.
    MergeEvents();
    ssize_t n = ::read(master_, buffer, size);
    if (n > 0) return static_cast<int>(n);
    if (n < 0 && errno != EAGAIN && errno != EINTR) return -1;
    uint64_t now = MonotonicUs();
    if (deadline.HasPassed(now)) return 0;
    pollfd waits[2] = {{master_, POLLIN, 0}, {events_, POLLIN, 0}};
    int count = events_ >= 0 && eventsArePipe_ ? 2 : 1;
    if (poll(waits, static_cast<nfds_t>(count), deadline.PollTimeoutMs(now)) < 0 && errno != EINTR) return -1;
  }
}

int PtyLine::Write(const void* bytes, size_t count, int timeoutMs) {
  if (master_ < 0) {
    errno = EBADF;
    return -1;
  }
  Deadline deadline = DeadlineIn(timeoutMs);
  const char* data = static_cast<const char*>(bytes);
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::write(master_, data + done, count - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return -1;
    uint64_t now = MonotonicUs();
    if (deadline.HasPassed(now)) break;
    pollfd wait{master_, POLLOUT, 0};
    if (poll(&wait, 1, deadline.PollTimeoutMs(now)) < 0 && errno != EINTR) return -1;
  }
  return static_cast<int>(done);
}

LineSettings PtyLine::Settings() {
  MergeEvents();
  LineSettings settings = reported_;
  termios tio;
  if (!lineReported_ && slave_ >= 0 && tcgetattr(slave_, &tio) == 0) {
    // The rate and stop bits survive on a pty; size and parity do not.
    settings.baud = sys::tty::OutputRate(slave_, tio);
    settings.stopBits = (tio.c_cflag & CSTOPB) ? 2 : 1;
  }
  return settings;
}

std::vector<LineEvent> PtyLine::TakeEvents() {
  MergeEvents();
  std::vector<LineEvent> events;
  events.swap(taken_);
  return events;
}

}  // namespace sim
