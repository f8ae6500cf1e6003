#pragma once
// A port opened on COM1 over a scripted line, on the virtual clock.
#include <gtest/gtest.h>

#include "link/SerialPort.h"
#include "tests/link/ScriptedLine.h"

namespace link_test {

class LinkTest : public ::testing::Test {
 protected:
  LinkTest() { opener.Attach("COM1", line); }
  ~LinkTest() override { port.ComClose(); }

  // Opens COM1 at 57600 and forgets what the open did on the line.
  void Open() {
    ASSERT_EQ(port.ComOpen(0, 57600), 1);
    line.events.clear();
    start = clock.now;
  }
  uint32_t Elapsed() const { return clock.now - start; }

  TestClock clock;
  ScriptedLine line{clock};
  ScriptedOpener opener;
  SerialPort port;
  uint32_t start = 0;
};

}  // namespace link_test
