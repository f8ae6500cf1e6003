// Random host behaviour against the simulated phone: writes of random bytes
// at random settings, reads, DTR changes, sleeps, on every state and with
// knobs drawn from the input. The phone must neither crash nor lose its
// block's size, and the port must keep Win32's read and write contracts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "sim/SimLine.h"
#include "sim/SimSerialDevice.h"

namespace {
struct Input {
  const uint8_t* data;
  size_t size;
  uint8_t Next() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
};

void Check(bool condition) {
  if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  sim::SimPhoneSettings settings;
  uint8_t knobs = in.Next();
  settings.initialState = static_cast<sim::PhoneState>(knobs % 3);
  settings.errorAtEveryRate = knobs & 0x04;
  settings.splitGapMs = (knobs & 0x08) ? 60 : 0;
  settings.dropDataReplies = (knobs >> 4) & 3;
  settings.refuseDataSends = (knobs >> 6) & 3;
  settings.bootNoiseBytes = in.Next() % 4;
  settings.oversizedReplyTo = static_cast<sim::Request>(in.Next() % 9);
  settings.blockLength = (in.Next() & 1) ? 2408 : 40;

  sim::VirtualClock clock;
  sim::SimPhone phone(settings);
  sim::SimLine line(phone, clock);
  sim::SimSerialDevice device(line);
  static const uint32_t kRates[] = {19200, 38400, 57600, 115200};
  sys::Dcb dcb{};
  device.GetCommState(&dcb);
  sys::CommTimeouts timeouts{};
  timeouts.ReadTotalTimeoutConstant = 50;
  timeouts.WriteTotalTimeoutConstant = 250;
  device.SetCommTimeouts(timeouts);

  while (in.size > 0) {
    uint8_t op = in.Next();
    uint64_t before = clock.NowUs();
    switch (op % 5) {
      case 0: {
        std::vector<uint8_t> bytes(in.Next() % 40);
        for (uint8_t& byte : bytes) byte = in.Next();
        unsigned written = 0;
        device.WriteFile(bytes.data(), static_cast<unsigned>(bytes.size()), &written);
        Check(written <= bytes.size());
        break;
      }
      case 1: {
        unsigned want = in.Next() % 64;
        std::vector<uint8_t> buffer(want + 1);
        unsigned got = 0;
        device.ReadFile(buffer.data(), want, &got);
        Check(got <= want);
        Check(clock.NowUs() - before <= 50000);
        break;
      }
      case 2: device.EscapeCommFunction((op & 0x10) ? sys::kSetDtr : sys::kClrDtr); break;
      case 3: clock.SleepMs(in.Next()); break;
      case 4:
        dcb.BaudRate = kRates[in.Next() % 4];
        dcb.Parity = (op & 0x10) ? 2 : 0;
        device.SetCommState(dcb);
        break;
    }
    Check(clock.NowUs() >= before);
    Check(phone.Block().size() == settings.blockLength);
  }
  return 0;
}
