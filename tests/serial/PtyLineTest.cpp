// The phone's end of a pty line: event lines from the preload library and
// how they merge into the settings the phone sees.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "sim/PtyLine.h"
#include "sys/Serial.h"
#include "tests/support/TestSupport.h"

namespace {

using sim::LineEvent;

TEST(LineEventParsing, EventsAndNothingElse) {
  LineEvent event;
  ASSERT_TRUE(sim::ParseLineEvent("/dev/pts/3 DTR 1\n", &event));
  EXPECT_EQ(LineEvent::Kind::Dtr, event.kind);
  EXPECT_EQ("/dev/pts/3", event.tty);
  EXPECT_TRUE(event.level);
  ASSERT_TRUE(sim::ParseLineEvent("/tmp/odd name LINE 19200 7 M 2", &event));
  EXPECT_EQ(LineEvent::Kind::Line, event.kind);
  EXPECT_EQ("/tmp/odd name", event.tty);
  EXPECT_EQ(19200u, event.baud);
  EXPECT_EQ(7, event.dataBits);
  EXPECT_EQ('M', event.parity);
  EXPECT_EQ(2, event.stopBits);

  for (const char* bad : {"", "DTR 1", "/dev/pts/3 RTS 2", "/dev/pts/3 LINE 19200 9 E 1",
                          "/dev/pts/3 LINE 19200 8 X 1", "/dev/pts/3 LINE 99999999999 8 E 1"}) {
    EXPECT_FALSE(sim::ParseLineEvent(bad, &event)) << bad;
  }
}

class PtyLineEvents : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(line.Open()); }
  void Send(const std::string& text) {
    int fd = open(events.c_str(), O_WRONLY | O_APPEND | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(static_cast<ssize_t>(text.size()), write(fd, text.data(), text.size()));
    close(fd);
  }

  testing_support::ScopedWorkDir dir;
  std::filesystem::path events = dir.Path() / "events";
  sim::PtyLine line;
};

TEST_F(PtyLineEvents, EventsForThisPtyMergeInOrderBeforeTheBytesAfterThem) {
  ASSERT_TRUE(line.FollowLineEvents(events.string()));
  ASSERT_TRUE(std::filesystem::is_fifo(events));
  std::unique_ptr<sys::SerialDevice> port(sys::PlatformSerialOpener().Open(line.SlavePath().c_str()));
  ASSERT_NE(nullptr, port);
  const std::string tty = line.SlavePath();
  Send(tty + " LINE 57600 8 N 1\n/dev/pts/999 LINE 300 7 O 2\ngarbage\n" + tty + " LINE 192");
  EXPECT_EQ(57600u, line.Settings().baud);  // half a line waits for the rest
  Send("00 8 E 1\n" + tty + " DTR 1\n" + tty + " DTR 0\n");
  unsigned written = 0;
  ASSERT_TRUE(port->WriteFile("U", 1, &written));

  char byte = 0;
  ASSERT_EQ(1, line.Read(&byte, 1, 5000));
  sim::LineSettings seen = line.Settings();
  EXPECT_EQ(19200u, seen.baud);
  EXPECT_EQ('E', seen.parity);
  EXPECT_EQ(0, seen.dtr);
  std::vector<LineEvent> taken = line.TakeEvents();  // the pulse is over but still visible
  ASSERT_EQ(4u, taken.size());
  EXPECT_EQ(LineEvent::Kind::Line, taken[1].kind);
  EXPECT_TRUE(taken[2].level);
  EXPECT_FALSE(taken[3].level);
  EXPECT_TRUE(line.TakeEvents().empty());
}

TEST_F(PtyLineEvents, APlainFileIsFollowedFromItsEnd) {
  testing_support::WriteFile(events, line.SlavePath() + " DTR 1\n");
  ASSERT_TRUE(line.FollowLineEvents(events.string()));
  EXPECT_EQ(-1, line.Settings().dtr);
  Send(line.SlavePath() + " DTR 0\n");
  EXPECT_EQ(0, line.Settings().dtr);
  EXPECT_FALSE(line.FollowLineEvents((dir.Path() / "no" / "dir").string()));
}

}  // namespace
