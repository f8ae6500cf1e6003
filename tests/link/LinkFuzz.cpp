// Random phones on a noisy line against the three phone jobs: whatever
// comes back, a job ends (every wait is on the virtual clock), leaves the
// port closed and free, and reports success only when the phone really did
// what was asked.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "link/PhoneJobs.h"
#include "sim/ScopedSimPhone.h"
#include "sim/SimSerialDevice.h"

namespace {

struct FuzzBytes {
  const uint8_t* data;
  size_t size;
  uint8_t Next() { return size ? (--size, *data++) : 0; }
};

// Hands the host what the phone sent, but may lose, cut or garble it; never
// into a byte that means something to the protocols, so a garbled answer can
// be broken but not made up.
struct NoisyDevice : sim::SimSerialDevice {
  NoisyDevice(sim::SimLine& line, FuzzBytes& noise) : SimSerialDevice(line), noise(noise) {}
  bool ReadFile(void* buffer, unsigned count, unsigned* read) override {
    static const uint8_t kMeaningful[] = {0x02, 0x0E, 0x14, 0x12, 0x04, 0x50, 0x15, 0xA0, 0xA5, 'O', 'K', '\r'};
    SimSerialDevice::ReadFile(buffer, count, read);
    const uint8_t what = noise.Next() % 8, value = noise.Next();
    if (*read == 0) return true;
    if (what == 5) *read = 0;
    if (what == 6) *read = value % *read;
    if (what == 7 && !std::memchr(kMeaningful, value, sizeof kMeaningful))
      static_cast<uint8_t*>(buffer)[noise.Next() % *read] = value;
    return true;
  }
  FuzzBytes& noise;
};

struct NoisyOpener : sys::SerialOpener {
  NoisyOpener(sim::SimLine& line, FuzzBytes& noise) : line(line), noise(noise) {}
  sys::SerialDevice* Open(const char* name) override {
    return std::strcmp(name, "COM1") != 0 || line.IsOpen() ? nullptr : new NoisyDevice(line, noise);
  }
  sim::SimLine& line;
  FuzzBytes& noise;
};

struct QuietView : PhoneJobView {
  void SetItemTextFromId(int, int) override {}
  void SetItemText(int, const char*) override {}
  void EnableItem(int, int) override {}
};

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzBytes fuzz{data, size};
  const int job = fuzz.Next() % 3;
  sim::SimPhoneSettings settings;
  settings.initialState = static_cast<sim::PhoneState>(fuzz.Next() % 3);
  const uint8_t flags = fuzz.Next();
  settings.silent = flags & 1;
  settings.errorAtEveryRate = flags & 2;
  settings.powerKeyHeld = flags & 4;
  settings.noBootConfirm = flags & 8;
  static const uint32_t kRates[] = {57600, 19200, 115200, 38400, 9600};
  settings.atRate = kRates[fuzz.Next() % 5];
  // Replies stay within their request's receive window: acknowledgements
  // name no chunk, so one late enough to meet the next request would pass
  // for its answer with any host.
  settings.replyDelayMs = fuzz.Next() % 100;
  settings.splitGapMs = fuzz.Next() % 60;
  settings.splitAfter = 1 + fuzz.Next() % 8;
  settings.dropDataReplies = fuzz.Next() % 12;
  settings.refuseDataSends = fuzz.Next() % 12;
  const uint8_t refuse = fuzz.Next();
  settings.refuseOffset = refuse == 0xFF ? -1 : (refuse * 20) % 2420;
  settings.oversizedReplyTo = static_cast<sim::Request>(fuzz.Next() % 9);
  static const uint16_t kLengths[] = {2408, 2400, 2420, 20};
  settings.blockLength = kLengths[fuzz.Next() % 4];
  settings.bootNoiseBytes = fuzz.Next() % 40;

  auto phone = std::make_unique<sim::ScopedSimPhone>(settings);
  NoisyOpener opener(phone->line, fuzz);
  sys::SetSerialOpener(&opener);
  QuietView view;
  auto request = std::make_unique<UploadRequest>();
  for (int i = 0; i < kUploadImageSize; ++i) request->image[i] = static_cast<uint8_t>(i * 29 + size);
  request->view = &view;

  PhoneOn = job == 1;
  const PhoneJobResult result = job == 0 ? UploadJob(*request) : PowerCommand(view, 0);
  if (result == PhoneJobResult::Succeeded) {
    const std::vector<uint8_t> image(request->image, request->image + kUploadImageSize);
    if (job == 0) Require(phone->phone.Block() == image);
    if (job == 1) Require(phone->phone.State() == sim::PhoneState::Off && PhoneOn == 0);
    if (job == 2) Require(phone->phone.State() != sim::PhoneState::Off && PhoneOn == 1);
  }
  Require(result != PhoneJobResult::Busy && !PhoneJobRunning() && !PhonePort.IsOpen());
  return 0;
}
