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

TEST(LineEventParsing, TheThreeKinds) {
  LineEvent event;
  ASSERT_TRUE(sim::ParseLineEvent("/dev/pts/3 DTR 1\n", &event));
  EXPECT_EQ(LineEvent::Kind::Dtr, event.kind);
  EXPECT_EQ("/dev/pts/3", event.tty);
  EXPECT_TRUE(event.level);

  ASSERT_TRUE(sim::ParseLineEvent("/dev/pts/3 RTS 0", &event));
  EXPECT_EQ(LineEvent::Kind::Rts, event.kind);
  EXPECT_FALSE(event.level);

  ASSERT_TRUE(sim::ParseLineEvent("/dev/pts/12 LINE 19200 8 E 1\n", &event));
  EXPECT_EQ(LineEvent::Kind::Line, event.kind);
  EXPECT_EQ("/dev/pts/12", event.tty);
  EXPECT_EQ(19200u, event.baud);
  EXPECT_EQ(8, event.dataBits);
  EXPECT_EQ('E', event.parity);
  EXPECT_EQ(1, event.stopBits);

  ASSERT_TRUE(sim::ParseLineEvent("/tmp/odd name/tty LINE 0 5 M 2", &event));
  EXPECT_EQ("/tmp/odd name/tty", event.tty);
  EXPECT_EQ(0u, event.baud);
  EXPECT_EQ(5, event.dataBits);
  EXPECT_EQ('M', event.parity);
  EXPECT_EQ(2, event.stopBits);
}

TEST(LineEventParsing, AnythingElseIsRefusedAndLeavesTheEventAlone) {
  const char* bad[] = {
      "",
      "DTR 1",
      " DTR 1",
      "/dev/pts/3 DTR 2",
      "/dev/pts/3 DSR 1",
      "/dev/pts/3 DTR",
      "/dev/pts/3 LINE 19200 9 E 1",
      "/dev/pts/3 LINE 19200 8 X 1",
      "/dev/pts/3 LINE 19200 8 E 3",
      "/dev/pts/3 LINE 19200 8 E",
      "/dev/pts/3 LINE -1 8 E 1",
      "/dev/pts/3 LINE 99999999999 8 E 1",
      "/dev/pts/3 LINE 19200 8 EE 1",
  };
  for (const char* text : bad) {
    LineEvent event;
    event.tty = "untouched";
    EXPECT_FALSE(sim::ParseLineEvent(text, &event)) << text;
    EXPECT_EQ("untouched", event.tty);
  }
}

class PtyLineEvents : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(line.Open());
    events = dir.Path() / "events";
  }
  void Send(const std::string& text) {
    int fd = open(events.c_str(), O_WRONLY | O_APPEND | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(static_cast<ssize_t>(text.size()), write(fd, text.data(), text.size()));
    close(fd);
  }

  testing_support::ScopedWorkDir dir;
  std::filesystem::path events;
  sim::PtyLine line;
};

TEST_F(PtyLineEvents, WithoutEventsOnlyTheRateIsKnown) {
  std::unique_ptr<sys::SerialDevice> port(sys::PlatformSerialOpener().Open(line.SlavePath().c_str()));
  ASSERT_NE(nullptr, port);
  sys::Dcb dcb;
  ASSERT_TRUE(port->GetCommState(&dcb));
  dcb.BaudRate = 38400;
  dcb.Parity = 2;
  dcb.XonChar = 1;
  dcb.XoffChar = 2;
  ASSERT_TRUE(port->SetCommState(dcb)) << errno;

  sim::LineSettings seen = line.Settings();
  EXPECT_EQ(38400u, seen.baud);
  EXPECT_EQ(0, seen.dataBits);
  EXPECT_EQ('?', seen.parity);
  EXPECT_EQ(-1, seen.dtr);
  EXPECT_EQ(-1, seen.rts);
  EXPECT_TRUE(line.TakeEvents().empty());
}

TEST_F(PtyLineEvents, EventsForThisPtyMergeInOrder) {
  ASSERT_TRUE(line.FollowLineEvents(events.string()));
  ASSERT_TRUE(std::filesystem::is_fifo(events));
  const std::string tty = line.SlavePath();
  Send(tty + " LINE 57600 8 N 1\n" + tty + " RTS 1\n" + "/dev/pts/999 LINE 300 7 O 2\n" + tty +
       " LINE 19200 8 E 1\n" + tty + " DTR 1\n" + tty + " DTR 0\n" + "garbage\n");

  sim::LineSettings seen = line.Settings();
  EXPECT_EQ(19200u, seen.baud);
  EXPECT_EQ(8, seen.dataBits);
  EXPECT_EQ('E', seen.parity);
  EXPECT_EQ(1, seen.stopBits);
  EXPECT_EQ(0, seen.dtr);
  EXPECT_EQ(1, seen.rts);

  // The DTR pulse is over, but the phone can still see that it happened.
  std::vector<LineEvent> taken = line.TakeEvents();
  ASSERT_EQ(5u, taken.size());
  EXPECT_EQ(57600u, taken[0].baud);
  EXPECT_EQ(LineEvent::Kind::Rts, taken[1].kind);
  EXPECT_EQ(19200u, taken[2].baud);
  EXPECT_EQ(LineEvent::Kind::Dtr, taken[3].kind);
  EXPECT_TRUE(taken[3].level);
  EXPECT_FALSE(taken[4].level);
  EXPECT_TRUE(line.TakeEvents().empty());
}

TEST_F(PtyLineEvents, EventsSentBeforeBytesAreMergedWhenTheBytesAreRead) {
  ASSERT_TRUE(line.FollowLineEvents(events.string()));
  std::unique_ptr<sys::SerialDevice> port(sys::PlatformSerialOpener().Open(line.SlavePath().c_str()));
  ASSERT_NE(nullptr, port);
  // An event line split across two writes is taken only once complete.
  Send(line.SlavePath() + " LINE 192");
  EXPECT_EQ(0u, line.Settings().dataBits);
  Send("00 8 E 1\n" + line.SlavePath() + " DTR 1\n");
  unsigned written = 0;
  ASSERT_TRUE(port->WriteFile("U", 1, &written));

  char byte = 0;
  ASSERT_EQ(1, line.Read(&byte, 1, 5000));
  EXPECT_EQ('U', byte);
  std::vector<LineEvent> taken = line.TakeEvents();
  ASSERT_EQ(2u, taken.size());
  EXPECT_EQ('E', taken[0].parity);
  EXPECT_EQ(LineEvent::Kind::Dtr, taken[1].kind);
}

TEST_F(PtyLineEvents, APlainFileIsFollowedFromItsEnd) {
  testing_support::WriteFile(events, line.SlavePath() + " DTR 1\n");
  ASSERT_TRUE(line.FollowLineEvents(events.string()));
  EXPECT_EQ(-1, line.Settings().dtr);  // written before we followed
  Send(line.SlavePath() + " DTR 0\n");
  EXPECT_EQ(0, line.Settings().dtr);
}

TEST_F(PtyLineEvents, APathThatCannotBeFollowedFails) {
  EXPECT_FALSE(line.FollowLineEvents((dir.Path() / "no" / "such" / "dir").string()));
}

}  // namespace
