// The simulated phone served on a pseudo-terminal, with the tool's side
// played through the platform's own serial device, on real time.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <sstream>
#include <thread>

#include "SimRig.h"
#include "sim/posix/PtyPhoneHost.h"
#include "sys/Serial.h"
#include "tests/support/TestSupport.h"

using namespace simtest;

namespace {
// The tool's end: a port opened on the pty's slave like any serial port.
class Tool {
 public:
  explicit Tool(const std::string& path) : device_(sys::PlatformSerialOpener().Open(path.c_str())) {}
  bool IsOpen() const { return device_ != nullptr; }
  void Configure(uint32_t baud, uint8_t parity = sim::kNoParity) {
    sys::Dcb dcb{};
    device_->GetCommState(&dcb);
    dcb.BaudRate = baud;
    dcb.ByteSize = 8;
    dcb.Parity = parity;
    dcb.StopBits = 0;
    device_->SetCommState(dcb);
  }
  // Reads end as soon as their bytes are in: the time-out is a bound only.
  void Send(const Bytes& request) {
    unsigned count = 0;
    device_->WriteFile(request.data(), static_cast<unsigned>(request.size()), &count);
  }
  Bytes Read(unsigned replyLength, uint32_t timeoutMs = 2000) {
    sys::CommTimeouts timeouts{};
    timeouts.ReadTotalTimeoutConstant = timeoutMs;
    timeouts.WriteTotalTimeoutConstant = 2000;
    device_->SetCommTimeouts(timeouts);
    unsigned count = 0;
    Bytes reply(replyLength);
    device_->ReadFile(reply.data(), replyLength, &count);
    reply.resize(count);
    return reply;
  }
  Bytes Exchange(const Bytes& request, unsigned replyLength) {
    Send(request);
    return Read(replyLength);
  }

 private:
  std::unique_ptr<sys::SerialDevice> device_;
};

// Runs a host on its own thread until destroyed.
class Serving {
 public:
  explicit Serving(sim::PtyPhoneHost& host) : thread_([this, &host] { host.Run(stop_); }) {}
  ~Serving() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};
}  // namespace

TEST(PtyPhoneHost, ServesAWholeUploadAndSavesTheBlockAtClose) {
  testing_support::ScopedWorkDir dir;
  sim::PhoneSimOptions options;
  options.eepromFile = "phone.bin";
  sim::PtyPhoneHost host(options);
  std::ostringstream log;
  host.SetLog(&log);
  std::string error;
  ASSERT_TRUE(host.Start(&error)) << error;
  Bytes image = TestImage();
  {
    Serving serving(host);
    Tool tool(host.DevicePath());
    ASSERT_TRUE(tool.IsOpen()) << host.DevicePath();
    tool.Configure(57600);
    EXPECT_EQ(tool.Exchange(Text("at^sqwe=1\r"), 16), Text("at^sqwe=1\r\r\nOK\r\n"));
    EXPECT_EQ(tool.Exchange(kPing, 5), kPingReply);
    EXPECT_EQ(tool.Exchange(OpenFrame(), 5), Frame(0x14, {0x50, 0x50}));
    for (uint16_t offset = 0; offset < image.size(); offset += 20) {
      Bytes chunk(image.begin() + offset, image.begin() + std::min<size_t>(offset + 20, image.size()));
      ASSERT_EQ(tool.Exchange(DataFrame(offset, chunk), 5), Frame(0x14, {0x12, 0x12})) << offset;
    }
    EXPECT_FALSE(std::filesystem::exists("phone.bin")) << "nothing saved before the close";
    EXPECT_EQ(tool.Exchange(CloseFrame(), 5), Frame(0x14, {0x13, 0x13}));
    EXPECT_EQ(testing_support::ReadFile("phone.bin"), std::string(image.begin(), image.end()));
  }
  std::string text = log.str();
  for (const char* expected : {"AT at^sqwe=1", "now in service mode", "data offset 2400 (8 bytes)",
                               "block 5071 saved to phone.bin", "stopped"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
}

TEST(PtyPhoneHost, BytesAtAnotherRateAreGarbageOnThePseudoTerminalToo) {
  sim::PhoneSimOptions options;
  options.phone.initialState = sim::PhoneState::Service;
  options.phone.replyDelayMs = 600;  // time for the tool to change its rate first
  sim::PtyPhoneHost host(options);
  std::string error;
  ASSERT_TRUE(host.Start(&error)) << error;
  Serving serving(host);
  Tool tool(host.DevicePath());
  ASSERT_TRUE(tool.IsOpen());
  tool.Configure(19200);
  tool.Send(kPing);
  EXPECT_TRUE(tool.Read(5, 800).empty()) << "the phone heard garbage";
  tool.Configure(57600);
  tool.Send(kPing);
  // A pty shows only the rate in force when the phone looks: let it take
  // the ping at 57600 before the tool moves on.
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  tool.Configure(115200);
  Bytes garbled = tool.Read(5);
  EXPECT_EQ(garbled.size(), 5u);
  EXPECT_NE(garbled, kPingReply);
  tool.Configure(57600);
  EXPECT_EQ(tool.Exchange(kPing, 5), kPingReply);
}

TEST(PtyPhoneHost, LoadsTheEepromFileAndRefusesOneOfTheWrongSize) {
  testing_support::ScopedWorkDir dir;
  Bytes image = TestImage();
  testing_support::WriteFile("phone.bin", std::string(image.begin(), image.end()));
  sim::PhoneSimOptions options;
  options.eepromFile = "phone.bin";
  sim::PtyPhoneHost host(options);
  std::string error;
  ASSERT_TRUE(host.Start(&error)) << error;
  EXPECT_EQ(host.Phone().Block(), image);

  testing_support::WriteFile("short.bin", "not a block");
  options.eepromFile = "short.bin";
  sim::PtyPhoneHost refused(options);
  EXPECT_FALSE(refused.Start(&error));
  EXPECT_NE(error.find("short.bin holds 11 bytes"), std::string::npos) << error;
}

namespace {
// "quavrel phone-sim" as a child process with its standard output on a pipe.
class PhoneSimProcess {
 public:
  explicit PhoneSimProcess(std::vector<std::string> args) {
    args.insert(args.begin(), {QUAVREL_PROGRAM, "phone-sim"});
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    if (posix_spawn(&pid_, QUAVREL_PROGRAM, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    out_ = out[0];
  }
  ~PhoneSimProcess() {
    if (pid_ > 0) Stop(SIGKILL);
    if (out_ >= 0) close(out_);
  }
  // The first line of its output, waiting at most a generous bound.
  std::string FirstLine() {
    std::string line;
    char c;
    while (line.find('\n') == std::string::npos) {
      pollfd wait{out_, POLLIN, 0};
      if (poll(&wait, 1, 10000) <= 0 || read(out_, &c, 1) != 1) break;
      line += c;
    }
    return line.substr(0, line.find('\n'));
  }
  // Sends the signal and returns the exit status (-1 if it did not exit).
  int Stop(int signal) {
    kill(pid_, signal);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  bool Started() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
};
}  // namespace

TEST(PhoneSimCommand, PrintsTheDeviceServesAndEndsCleanlyOnTerminate) {
  testing_support::ScopedWorkDir dir;
  PhoneSimProcess process({"--eeprom", "small.bin", "--fault", "block-length=40", "--log", "sim.log"});
  ASSERT_TRUE(process.Started());
  std::string device = process.FirstLine();
  ASSERT_EQ(device.rfind("/dev/", 0), 0u) << device;
  {
    Tool tool(device);
    ASSERT_TRUE(tool.IsOpen()) << device;
    tool.Configure(57600);
    EXPECT_EQ(tool.Exchange(Text("at^sqwe=1\r"), 16), Text("at^sqwe=1\r\r\nOK\r\n"));
    EXPECT_EQ(tool.Exchange(kInfo5071, 8), Frame(0x14, {0x15, 40, 0, 0x04, 0x15 ^ 40 ^ 0x04}));
    EXPECT_EQ(tool.Exchange(OpenFrame(40), 5), Frame(0x14, {0x50, 0x50}));
    EXPECT_EQ(tool.Exchange(DataFrame(0, Bytes(20, 0x11)), 5), Frame(0x14, {0x12, 0x12}));
    EXPECT_EQ(tool.Exchange(DataFrame(20, Bytes(20, 0x22)), 5), Frame(0x14, {0x12, 0x12}));
    EXPECT_EQ(tool.Exchange(CloseFrame(), 5), Frame(0x14, {0x13, 0x13}));
  }
  EXPECT_EQ(process.Stop(SIGTERM), 0);
  EXPECT_EQ(testing_support::ReadFile("small.bin"), std::string(20, 0x11) + std::string(20, 0x22));
  std::string log = testing_support::ReadFile("sim.log");
  EXPECT_NE(log.find("block info 5071"), std::string::npos) << log;
  EXPECT_NE(log.find("stopped"), std::string::npos) << log;
}
