#pragma once
// What the phone link needs of a serial device, checked the same way on every
// device: the simulated port, the POSIX port on a pty and the Win32 port under
// Wine. Each rig puts its device on a line with a far end it controls; the
// cases (SerialContract.cpp) only talk to the rig, so a case that passes on
// the simulator means what it means on a real port.
//
// What the port sends in the cases never holds the bytes 01 FE: the far end
// under Wine takes them for the start of a command (SerialPeer.cpp).
//
// A rig file defines its rig class and instantiates the suite with it:
//   INSTANTIATE_TYPED_TEST_SUITE_P(Sim, SerialContract, SimContractRig);
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

#include "sys/Serial.h"

namespace serialcontract {

class Rig {
 public:
  virtual ~Rig() = default;
  // Whether the rig can run here; `why` tells the skip when not.
  static bool Available(std::string*) { return true; }

  // A fresh port at 57600 8N1 and a far end with nothing pending and nothing
  // received. False (with a message on stderr) when the line cannot be set up.
  virtual bool Restart() = 0;
  virtual sys::SerialDevice& Device() = 0;

  // The far end puts bytes on the line afterMs from now (0: now).
  virtual void SendAfter(uint32_t afterMs, const std::string& bytes) = 0;
  // The bytes the far end got since the last call, in order. Rigs on a real
  // line first wait a while for `expected` of them to come.
  virtual std::string TakeReceived(size_t expected) = 0;

  // The rig's clock: real unless the rig has one of its own.
  virtual uint64_t NowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
  }
  virtual void WaitMs(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  // How much earlier than its time-out a read may seem to end by NowUs
  // (Wine times reads on its own clock).
  virtual uint32_t ToleranceMs() const { return 0; }

  // The last error a refused argument leaves: ERROR_INVALID_PARAMETER (87)
  // for the Win32 meanings, which the simulated driver keeps everywhere;
  // EINVAL for the POSIX layer.
  virtual unsigned InvalidParameterError() const { return 87; }
  // Wine, where it differs from Windows, is not held to Windows' meaning.
  virtual bool IsWine() const { return false; }
};

// Sets 57600 8N1 (the rate every rig's far end speaks); for Restart.
bool SetUpLine(sys::SerialDevice& device);

void CheckReads(Rig& rig);
void CheckPurges(Rig& rig);
void CheckEscapesAndWrites(Rig& rig);

template <class RigType>
class SerialContract : public testing::Test {};

TYPED_TEST_SUITE_P(SerialContract);

// Reads end with their count or at the last total time-out set; a receive
// purge discards what has arrived; escapes are taken or refused, and writes
// arrive in order.
TYPED_TEST_P(SerialContract, ReadsPurgesEscapesAndWritesMeanWhatTheLinkNeeds) {
  std::string why;
  if (!TypeParam::Available(&why)) GTEST_SKIP() << why;
  TypeParam rig;
  CheckReads(rig);
  CheckPurges(rig);
  CheckEscapesAndWrites(rig);
}

REGISTER_TYPED_TEST_SUITE_P(SerialContract, ReadsPurgesEscapesAndWritesMeanWhatTheLinkNeeds);

}  // namespace serialcontract
