// Random phones on a noisy line against the three phone jobs: whatever
// comes back, a job ends (every wait is on the virtual clock), leaves the
// port closed and free, and reports success only when the phone really did
// what was asked.
#include <array>
#include <cstdlib>
#include <cstring>

#include "link/PhoneJobs.h"
#include "sim/ScopedSimPhone.h"
#include "sim/SimSerialDevice.h"

namespace {

const uint8_t* input;
size_t inputLeft;
uint8_t Next() { return inputLeft ? (--inputLeft, *input++) : 0; }

// Hands the host what the phone sent, but may lose, cut or garble it; never
// into a byte that means something to the protocols, so a garbled answer can
// be broken but not made up.
struct NoisyDevice : sim::SimSerialDevice {
  using SimSerialDevice::SimSerialDevice;
  bool ReadFile(void* buffer, unsigned count, unsigned* read) override {
    static const uint8_t kMeaningful[] = {0x02, 0x0E, 0x14, 0x12, 0x04, 0x50, 0x15, 0xA0, 0xA5, 'O', 'K', '\r'};
    SimSerialDevice::ReadFile(buffer, count, read);
    const uint8_t what = Next() % 8, value = Next();
    if (*read == 0) return true;
    if (what == 5) *read = 0;
    if (what == 6) *read = value % *read;
    if (what == 7 && !std::memchr(kMeaningful, value, sizeof kMeaningful))
      static_cast<uint8_t*>(buffer)[Next() % *read] = value;
    return true;
  }
};

struct NoisyOpener : sys::SerialOpener {
  explicit NoisyOpener(sim::SimLine& line) : line(line) {}
  sys::SerialDevice* Open(const char* name) override {
    return std::strcmp(name, "COM1") != 0 || line.IsOpen() ? nullptr : new NoisyDevice(line);
  }
  sim::SimLine& line;
};

struct QuietView : PhoneJobView {
  void SetItemTextFromId(int, int) override {}
  void SetItemText(int, const char*) override {}
  void EnableItem(int, int) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  input = data;
  inputLeft = size;
  const int job = Next() % 3;
  sim::SimPhoneSettings settings;
  settings.initialState = static_cast<sim::PhoneState>(Next() % 3);
  const uint8_t flags = Next();
  settings.silent = flags & 1;
  settings.errorAtEveryRate = flags & 2;
  settings.powerKeyHeld = flags & 4;
  settings.noBootConfirm = flags & 8;
  settings.atRate = std::array<uint32_t, 5>{57600, 19200, 115200, 38400, 9600}[Next() % 5];
  // Replies stay within their request's receive window: acknowledgements
  // name no chunk, so one late enough to meet the next request would pass
  // for its answer with any host.
  settings.replyDelayMs = Next() % 100;
  settings.splitGapMs = Next() % 60;
  settings.splitAfter = 1 + Next() % 8;
  settings.dropDataReplies = Next() % 12;
  settings.refuseDataSends = Next() % 12;
  settings.refuseOffset = Next() * 20 - 20;  // none, a chunk of the block or one beyond it
  settings.oversizedReplyTo = static_cast<sim::Request>(Next() % 9);
  settings.blockLength = std::array<uint16_t, 4>{2408, 2400, 2420, 20}[Next() % 4];
  settings.bootNoiseBytes = Next() % 40;

  sim::ScopedSimPhone phone(settings);
  NoisyOpener opener(phone.line);
  sys::SetSerialOpener(&opener);
  QuietView view;
  UploadRequest request;
  for (int i = 0; i < kUploadImageSize; ++i) request.image[i] = static_cast<uint8_t>(i * 29 + size);
  request.view = &view;
  PhoneOn = job == 1;
  const PhoneJobResult result = job == 0 ? UploadJob(request) : PowerCommand(view, 0);

  // What each job was asked to bring about.
  const bool off = phone.phone.State() == sim::PhoneState::Off;
  const std::vector<uint8_t> image(request.image, request.image + kUploadImageSize);
  const bool done[] = {phone.phone.Block() == image, off && PhoneOn == 0, !off && PhoneOn == 1};
  if ((result == PhoneJobResult::Succeeded && !done[job]) || result == PhoneJobResult::Busy || PhoneJobRunning() ||
      PhonePort.IsOpen())
    std::abort();
  return 0;
}
