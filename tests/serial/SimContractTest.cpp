// The serial contract on the simulated port: the far end is a silent
// simulated phone that puts the test's bytes on the line, and time is the
// virtual clock the port's waits move.
#include <memory>
#include <utility>

#include "sim/ScopedSimPhone.h"
#include "tests/serial/SerialContract.h"

namespace {

class SimContractRig : public serialcontract::Rig {
 public:
  bool Restart() override {
    device_.reset();
    sim_.reset();
    sim::SimPhoneSettings settings;
    settings.silent = true;  // it hears the test's writes and answers nothing
    sim_ = std::make_unique<sim::ScopedSimPhone>(settings);
    received_.clear();
    sim_->phone.onEvent = [this](const sim::PhoneEvent& event) {
      if (event.kind == sim::PhoneEvent::Kind::FromHost) received_.append(event.bytes.begin(), event.bytes.end());
    };
    device_.reset(sim_->opener.Open("COM1"));
    return device_ && serialcontract::SetUpLine(*device_);
  }
  sys::SerialDevice& Device() override { return *device_; }

  void SendAfter(uint32_t afterMs, const std::string& bytes) override {
    auto lock = sim_->line.Lock();
    sim_->phone.PutOnLine(std::vector<uint8_t>(bytes.begin(), bytes.end()), NowUs() + uint64_t{afterMs} * 1000);
  }
  std::string TakeReceived(size_t) override {
    auto lock = sim_->line.Lock();
    sim_->phone.RunUntil(NowUs());
    return std::exchange(received_, "");
  }

  uint64_t NowUs() override { return sim_->clock.NowUs(); }
  void WaitMs(uint32_t ms) override { sim_->clock.SleepMs(ms); }

 private:
  std::unique_ptr<sim::ScopedSimPhone> sim_;
  std::unique_ptr<sys::SerialDevice> device_;
  std::string received_;
};

}  // namespace

namespace serialcontract {
INSTANTIATE_TYPED_TEST_SUITE_P(Sim, SerialContract, SimContractRig);
}
