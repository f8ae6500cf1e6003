// How a port that cannot be opened is named on Linux: the device behind a
// COMn name, and the system's reason with what to do about it.
#include <gtest/gtest.h>

#include <cerrno>

#include "sys/Serial.h"
#include "sys/SystemInfo.h"
#include "tests/cli/CliTestSupport.h"

namespace {

using cli_testing::Contains;
using cli_testing::Quavrel;

// Every open fails with the given errno.
class RefusingOpener : public sys::SerialOpener {
 public:
  explicit RefusingOpener(int error) : error_(error) { sys::SetSerialOpener(this); }
  ~RefusingOpener() override { sys::SetSerialOpener(nullptr); }
  sys::SerialDevice* Open(const char*) override {
    sys::SetLastError(static_cast<unsigned>(error_));
    return nullptr;
  }

 private:
  int error_;
};

TEST(PosixPortMessages, TheDeviceAndWhyItCannotBeOpened) {
  testing_support::ScopedWorkDir dir;
  const std::pair<int, std::string> refusals[] = {
      {ENOTTY, "cannot open the port '/dev/ttyUSB0': it is not a serial port"},
      {EACCES, "cannot open the port '/dev/ttyUSB0': Permission denied (your user must be in the group dialout: "
               "sudo usermod -aG dialout $USER, then log in again)"},
      {EBUSY, "cannot open the port '/dev/ttyUSB0': Device or resource busy (another program holds the port)"},
  };
  for (const auto& [error, message] : refusals) {
    RefusingOpener opener(error);
    auto run = Quavrel({"power-on", "--port", "/dev/ttyUSB0"});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(Contains(run.err, message)) << run.err;
  }
  // The system's own devices.
  const std::pair<std::string, std::string> ports[] = {
      {"/dev/null", "cannot open the port '/dev/null': it is not a serial port"},
      {"COM9", "cannot open the port 'COM9' (/dev/ttyS8): "},
      {"/no/such/tty", "cannot open the port '/no/such/tty': No such file or directory"},
  };
  for (const auto& [port, message] : ports) {
    auto run = Quavrel({"power-off", "--port", port});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(Contains(run.err, message)) << run.err;
  }
}

}  // namespace
