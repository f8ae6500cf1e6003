// "quavrel phone-sim" as a program on a pseudo-terminal, with the tool's
// side played through the platform's own serial device, on real time.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <numeric>

#include "SimRig.h"
#include "tests/support/TestSupport.h"

using namespace simtest;

namespace {
// Starts the program with its standard output on a pipe; returns its pid
// and the first line it printed.
pid_t StartPhoneSim(std::vector<std::string> args, std::string* firstLine) {
  args.insert(args.begin(), {QUAVREL_PROGRAM, "phone-sim", "--log", "sim.log"});
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  int out[2];
  pid_t pid = -1;
  if (pipe(out) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "sim.err", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (posix_spawn(&pid, QUAVREL_PROGRAM, &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  char c;
  pollfd wait{out[0], POLLIN, 0};
  while (poll(&wait, 1, 10000) == 1 && read(out[0], &c, 1) == 1 && c != '\n') *firstLine += c;
  close(out[0]);
  return pid;
}

int ExitCode(pid_t pid) {
  int status = -1;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The tool's end at 57600 8N1; reads end as soon as their bytes are in.
Bytes Exchange(sys::SerialDevice& tool, const Bytes& request, unsigned replyLength) {
  unsigned count = 0;
  tool.WriteFile(request.data(), static_cast<unsigned>(request.size()), &count);
  Bytes reply(replyLength);
  tool.ReadFile(reply.data(), replyLength, &count);
  reply.resize(count);
  return reply;
}
}  // namespace

TEST(PhoneSimCommand, ServesOnThePrintedDeviceSavesEachWriteAndEndsCleanly) {
  testing_support::ScopedWorkDir dir;
  // The first run writes a whole 40-byte block, the second only its first
  // chunk over the block it loaded from the file.
  Bytes first(40);
  std::iota(first.begin(), first.end(), uint8_t{1});
  const Bytes second(20, 0x5A);
  Bytes expected = first;
  std::string saved;  // the file as the run finds it
  for (const Bytes& data : {first, second}) {
    std::string device;
    pid_t pid = StartPhoneSim({"--eeprom", "phone.bin", "--fault", "block-length=40"}, &device);
    ASSERT_GT(pid, 0);
    std::unique_ptr<sys::SerialDevice> tool(sys::PlatformSerialOpener().Open(device.c_str()));
    EXPECT_TRUE(tool) << "'" << device << "'";
    if (tool) {
      sys::Dcb dcb{};
      tool->GetCommState(&dcb);
      dcb.BaudRate = 57600;
      tool->SetCommState(dcb);
      tool->SetCommTimeouts(sys::CommTimeouts{0, 0, 2000, 0, 2000});
      EXPECT_EQ(Exchange(*tool, Text("at^sqwe=1\r"), 16), Text("at^sqwe=1\r\r\nOK\r\n"));
      EXPECT_EQ(Exchange(*tool, OpenFrame(40), 5), kOpened);
      for (uint16_t offset = 0; offset < data.size(); offset += 20)
        EXPECT_EQ(Exchange(*tool, DataFrame(offset, Bytes(data.begin() + offset, data.begin() + offset + 20)), 5),
                  kTaken);
      EXPECT_EQ(testing_support::ReadFile("phone.bin"), saved) << "saved only when the write is closed";
      EXPECT_EQ(Exchange(*tool, kClose, 5), Frame(0x14, {0x13, 0x13}));
      tool.reset();
    }
    kill(pid, SIGTERM);
    EXPECT_EQ(ExitCode(pid), 0);
    std::copy(data.begin(), data.end(), expected.begin());
    saved.assign(expected.begin(), expected.end());
    EXPECT_EQ(testing_support::ReadFile("phone.bin"), saved);
  }

  testing_support::WriteFile("phone.bin", "not a block");
  std::string none;
  EXPECT_EQ(ExitCode(StartPhoneSim({"--eeprom", "phone.bin"}, &none)), 1);
  EXPECT_EQ(none, "") << "nothing to connect to";
  EXPECT_EQ(testing_support::ReadFile("sim.err"),
            "quavrel phone-sim: phone.bin holds 11 bytes, but the block is 2408 bytes\n");
}
