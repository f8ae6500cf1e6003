// The serial contract on the POSIX port, opened on a pseudo-terminal whose
// master end the test holds; delayed sends come from helper threads.
#include <errno.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "sim/posix/PtyLine.h"
#include "sys/posix/Tty.h"
#include "tests/serial/SerialContract.h"

namespace {

class PtyContractRig : public serialcontract::Rig {
 public:
  static bool Available(std::string*) { return true; }
  ~PtyContractRig() override { JoinSends(); }

  bool Restart() override {
    JoinSends();
    port_.reset();
    line_ = std::make_unique<sim::PtyLine>();
    if (!line_->Open()) {
      std::perror("pty");
      return false;
    }
    port_.reset(sys::PlatformSerialOpener().Open(line_->SlavePath().c_str()));
    if (!port_) std::perror(line_->SlavePath().c_str());
    return port_ && serialcontract::SetUpLine(*port_);
  }
  sys::SerialDevice& Device() override { return *port_; }

  void SendAfter(uint32_t afterMs, const std::string& bytes) override {
    sim::PtyLine* line = line_.get();
    if (afterMs == 0) {
      line->Write(bytes.data(), bytes.size(), 1000);
      return;
    }
    // PtyLine::Write touches nothing but the master descriptor, so these
    // may run beside the test's use of the port.
    sends_.emplace_back([line, afterMs, bytes] {
      std::this_thread::sleep_for(std::chrono::milliseconds(afterMs));
      line->Write(bytes.data(), bytes.size(), 1000);
    });
  }
  std::string TakeReceived(size_t expected) override {
    JoinSends();
    std::string received;
    char chunk[4096];
    int n;
    while (received.size() < expected && (n = line_->Read(chunk, sizeof chunk, 1000)) > 0) received.append(chunk, n);
    while ((n = line_->Read(chunk, sizeof chunk, 0)) > 0) received.append(chunk, n);  // and anything beyond
    return received;
  }

  uint64_t NowUs() override { return sys::tty::MonotonicUs(); }
  void WaitMs(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  unsigned InvalidParameterError() const override { return EINVAL; }

 private:
  void JoinSends() {
    for (std::thread& send : sends_) send.join();
    sends_.clear();
  }

  std::unique_ptr<sim::PtyLine> line_;
  std::unique_ptr<sys::SerialDevice> port_;
  std::vector<std::thread> sends_;
};

}  // namespace

namespace serialcontract {
INSTANTIATE_TYPED_TEST_SUITE_P(Pty, SerialContract, PtyContractRig);
}
