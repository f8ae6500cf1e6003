// The Win32 serial device under Wine, on a pty whose far end is the native
// serial-peer (run-win-serial.sh wires it up as QUAVREL_TEST_PORT, with the
// modem-line preload library loaded into Wine). The peer is driven through
// the port itself, by the commands described in SerialPeer.cpp.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "tests/serial/SerialContract.h"
#include "sys/SystemInfo.h"

namespace {

const char kMarker[] = "\x01\xFE";

class WineContractRig : public serialcontract::Rig {
 public:
  static bool Available(std::string* why) {
    if (std::getenv("QUAVREL_TEST_PORT") != nullptr) return true;
    *why = "needs the pty peer: run through run-win-serial.sh";
    return false;
  }

  bool Restart() override {
    port_.reset();
    const char* name = std::getenv("QUAVREL_TEST_PORT");
    port_.reset(sys::PlatformSerialOpener().Open(name));
    if (!port_) {
      std::fprintf(stderr, "CreateFileA(%s) error %u\n", name, sys::LastError());
      return false;
    }
    // A case that failed while output was held must not hold up the next.
    return serialcontract::SetUpLine(*port_) && port_->EscapeCommFunction(sys::kSetXon) &&
           Ask("C") == "C";
  }
  sys::SerialDevice& Device() override { return *port_; }

  void SendAfter(uint32_t afterMs, const std::string& bytes) override {
    std::string hex;
    for (unsigned char byte : bytes) hex += {"0123456789ABCDEF"[byte >> 4], "0123456789ABCDEF"[byte & 15]};
    Command("S " + std::to_string(afterMs) + " " + hex);
  }
  std::string TakeReceived(size_t) override {
    std::string header = Ask("R");
    unsigned count = 0;
    if (std::sscanf(header.c_str(), "R %u", &count) != 1) return "(no answer from the peer)";
    return Receive(count);
  }

  uint32_t ToleranceMs() const override { return 20; }
  bool IsWine() const override { return true; }

  // The line as the peer sees it: "L <baud> <parity> <dtr> <rts> <dtr rises>
  // <dtr falls>", the edges counted since the last time.
  std::string LineStatus() { return Ask("L"); }

 private:
  // Both with time-outs of their own: a case may have left any.
  void Command(const std::string& text) {
    std::string bytes = kMarker + text + "\n";
    unsigned written = 0;
    port_->SetCommTimeouts(sys::CommTimeouts{0, 0, 2000, 0, 2000});
    port_->WriteFile(bytes.data(), static_cast<unsigned>(bytes.size()), &written);
  }
  std::string Receive(unsigned count) {
    port_->SetCommTimeouts(sys::CommTimeouts{0, 0, 2000, 0, 2000});
    std::string buffer(count, '\0');
    unsigned got = 0;
    if (count > 0 && !port_->ReadFile(&buffer[0], count, &got)) got = 0;
    return buffer.substr(0, got);
  }

  // The answer's line, without its marker and line feed; whatever came
  // before the marker is skipped.
  std::string Ask(const std::string& text) {
    Command(text);
    std::string seen, byte;
    while (seen.size() < 2 || seen.compare(seen.size() - 2, 2, kMarker) != 0) {
      if ((byte = Receive(1)).empty() || seen.size() > 65536) return "";
      seen += byte;
    }
    std::string answer;
    while (!(byte = Receive(1)).empty() && byte != "\n") answer += byte;
    return answer;
  }

  std::unique_ptr<sys::SerialDevice> port_;
};

// What the far end learns of the line, beyond the contract: the rate and
// parity the port was set to, and its modem lines.
TEST(WinePort, RateParityAndModemLinesReachTheFarEnd) {
  std::string why;
  if (!WineContractRig::Available(&why)) GTEST_SKIP() << why;
  WineContractRig rig;
  ASSERT_TRUE(rig.Restart());
  sys::Dcb dcb;
  ASSERT_TRUE(rig.Device().GetCommState(&dcb)) << sys::LastError();
  dcb.BaudRate = 19200, dcb.Parity = 2;
  ASSERT_TRUE(rig.Device().SetCommState(dcb)) << sys::LastError();
  // Parity as the preload library reported it: it never crosses a pty.
  EXPECT_EQ("L 19200 E ", rig.LineStatus().substr(0, 10));

  // Setting the line up may have raised both lines already: start from low,
  // and forget the edges so far.
  for (unsigned function : {sys::kClrDtr, sys::kClrRts}) ASSERT_TRUE(rig.Device().EscapeCommFunction(function));
  rig.LineStatus();
  for (unsigned function : {sys::kSetRts, sys::kSetDtr, sys::kClrDtr}) {
    EXPECT_TRUE(rig.Device().EscapeCommFunction(function)) << function << " error " << sys::LastError();
  }
  // DTR low and RTS high; the DTR pulse is over, and the far end still saw it.
  EXPECT_EQ("L 19200 E 0 1 1 1", rig.LineStatus());
}

}  // namespace

namespace serialcontract {
INSTANTIATE_TYPED_TEST_SUITE_P(Wine, SerialContract, WineContractRig);
}
