// The simulated phone served on a pseudo-terminal, with the tool's side
// played through the platform's own serial device, on real time.
#include <gtest/gtest.h>

#include <atomic>
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
  options.phone.replyDelayMs = 300;  // time for the tool to change its rate first
  sim::PtyPhoneHost host(options);
  std::string error;
  ASSERT_TRUE(host.Start(&error)) << error;
  Serving serving(host);
  Tool tool(host.DevicePath());
  ASSERT_TRUE(tool.IsOpen());
  tool.Configure(19200);
  tool.Send(kPing);
  EXPECT_TRUE(tool.Read(5, 600).empty()) << "the phone heard garbage";
  tool.Configure(57600);
  tool.Send(kPing);
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
