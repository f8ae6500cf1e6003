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
    port_.reset(sys::PlatformSerialOpener().Open(std::getenv("QUAVREL_TEST_PORT")));
    if (!port_) std::fprintf(stderr, "CreateFileA error %u\n", sys::LastError());
    // A case that failed while output was held must not hold up the next.
    return port_ && serialcontract::SetUpLine(*port_) && port_->EscapeCommFunction(sys::kSetXon) && Ask("C") == "C";
  }
  sys::SerialDevice& Device() override { return *port_; }

  void SendAfter(uint32_t afterMs, const std::string& bytes) override {
    std::string hex;
    for (unsigned char byte : bytes) hex += {"0123456789ABCDEF"[byte >> 4], "0123456789ABCDEF"[byte & 15]};
    Command("S " + std::to_string(afterMs) + " " + hex);
  }
  std::string TakeReceived(size_t) override {
    unsigned count = 0;
    return std::sscanf(Ask("R").c_str(), "R %u", &count) == 1 ? Receive(count) : "(no answer from the peer)";
  }

  uint32_t ToleranceMs() const override { return 20; }
  bool IsWine() const override { return true; }

 private:
  // The peer's answer line to a command, without its marker and line feed;
  // whatever came before the marker is skipped.
  std::string Ask(const std::string& text) {
    Command(text);
    std::string seen, byte;
    while (!(byte = Receive(1)).empty() && seen.size() < 65536) {
      size_t at = (seen += byte).rfind(kMarker);
      if (byte == "\n" && at != std::string::npos) return seen.substr(at + 2, seen.size() - at - 3);
    }
    return "";
  }
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

  std::unique_ptr<sys::SerialDevice> port_;
};

}  // namespace

namespace serialcontract {
INSTANTIATE_TYPED_TEST_SUITE_P(Wine, SerialContract, WineContractRig);
}
