// "quavrel phone-sim" as a program on a pseudo-terminal, with the tool's
// side played through the platform's own serial device, on real time.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <numeric>

#include "SimRig.h"
#include "tests/support/TestSupport.h"

using namespace simtest;

namespace {
// The program with its standard output on a pipe, exec'd by the shell so
// that the pid the shell prints first is the program's; `device` is the
// first line the program printed.
struct PhoneSim {
  explicit PhoneSim(const std::string& args) {
    std::string command = "echo $$; exec '" QUAVREL_PROGRAM "' phone-sim --log sim.log " + args + " 2>sim.err";
    char line[256];
    out = popen(command.c_str(), "r");
    if (out && std::fgets(line, sizeof line, out)) pid = std::atoi(line);
    if (out && std::fgets(line, sizeof line, out)) device.assign(line, std::strcspn(line, "\n"));
  }
  int ExitCode() {
    int status = out ? pclose(out) : -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  FILE* out;
  pid_t pid = 0;
  std::string device;
};

// The tool's end at 57600 8N1: a request and the reply, a read that ends as
// soon as its bytes are in.
Bytes Exchange(sys::SerialDevice& tool, const Bytes& request, unsigned replyLength) {
  unsigned count = 0;
  tool.WriteFile(request.data(), static_cast<unsigned>(request.size()), &count);
  Bytes reply(replyLength);
  tool.ReadFile(reply.data(), replyLength, &count);
  reply.resize(count);
  return reply;
}
}  // namespace

TEST(PhoneSimCommand, ServesOnThePrintedDeviceSavesAClosedWriteOverTheBlockItLoadedAndEndsCleanly) {
  testing_support::ScopedWorkDir dir;
  std::string saved(40, '\0');
  std::iota(saved.begin(), saved.end(), char{1});
  testing_support::WriteFile("phone.bin", saved);
  PhoneSim sim("--eeprom phone.bin --fault block-length=40");
  ASSERT_GT(sim.pid, 0);
  std::unique_ptr<sys::SerialDevice> tool(sys::PlatformSerialOpener().Open(sim.device.c_str()));
  EXPECT_TRUE(tool) << "'" << sim.device << "'";
  if (tool) {
    sys::Dcb dcb{};
    tool->GetCommState(&dcb);
    dcb.BaudRate = 57600;
    tool->SetCommState(dcb);
    tool->SetCommTimeouts(sys::CommTimeouts{0, 0, 2000, 0, 2000});
    EXPECT_EQ(Exchange(*tool, Text("at^sqwe=1\r"), 16), Text("at^sqwe=1\r\r\nOK\r\n"));
    EXPECT_EQ(Exchange(*tool, OpenFrame(40), 5), kOpened);
    EXPECT_EQ(Exchange(*tool, DataFrame(0, Bytes(20, 0x5A)), 5), kTaken);  // only the first chunk
    EXPECT_EQ(testing_support::ReadFile("phone.bin"), saved) << "saved only when the write is closed";
    EXPECT_EQ(Exchange(*tool, kClose, 5), Frame(0x14, {0x13, 0x13}));
    tool.reset();
  }
  kill(sim.pid, SIGTERM);
  EXPECT_EQ(sim.ExitCode(), 0);
  EXPECT_EQ(testing_support::ReadFile("phone.bin"), saved.replace(0, 20, 20, '\x5A'));

  testing_support::WriteFile("phone.bin", "not a block");
  PhoneSim refused("--eeprom phone.bin");
  EXPECT_EQ(refused.ExitCode(), 1);
  EXPECT_EQ(refused.device, "") << "nothing to connect to";
  EXPECT_EQ(testing_support::ReadFile("sim.err"),
            "quavrel phone-sim: phone.bin holds 11 bytes, but the block is 2408 bytes\n");
  EXPECT_EQ(testing_support::ReadFile("phone.bin"), "not a block");
}
