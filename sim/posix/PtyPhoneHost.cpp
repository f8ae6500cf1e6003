#include "sim/posix/PtyPhoneHost.h"

#include <cerrno>
#include <cstring>

#include "sim/EepromFile.h"
#include "sim/PhoneRunner.h"

namespace sim {

// The pty seen as the phone's end of the line. The pty keeps only the rate;
// the modem-line preload library, when the tool runs with it, reports DTR
// and the whole character format too, and from its first report on the
// phone can insist on the DTR pulse as it would on a real line.
class PtyPhoneHost::Side : public PhoneSideLine {
 public:
  explicit Side(PtyLine& pty) : pty_(pty) {}

  int Read(uint8_t* buffer, size_t size, int timeoutMs) override {
    int count = pty_.Read(buffer, size, timeoutMs);
    if (count < 0 && errno == EINTR) count = 0;
    for (const LineEvent& event : pty_.TakeEvents()) {
      // The library starts a pty's lines raised, as opening a real port
      // raises them, and reports only what the tool does after that.
      if (!reported_) dtr_.push_back(true);
      reported_ = true;
      if (event.kind == LineEvent::Kind::Dtr) dtr_.push_back(event.level);
    }
    return count;
  }
  bool Write(const uint8_t* bytes, size_t count) override {
    return pty_.Write(bytes, count, 1000) == static_cast<int>(count);
  }
  WireSettings Settings() override {
    LineSettings line = pty_.Settings();
    WireSettings settings;
    settings.baud = line.baud;
    settings.byteSize = static_cast<uint8_t>(line.dataBits > 0 ? line.dataBits : 8);
    const char* parities = "NOEMS";
    const char* parity = line.parity != '\0' ? std::strchr(parities, line.parity) : nullptr;
    settings.parityKnown = parity != nullptr;
    settings.parity = parity ? static_cast<uint8_t>(parity - parities) : uint8_t{kNoParity};
    settings.stopBits = line.stopBits == 2 ? 2 : 0;
    return settings;
  }
  std::vector<bool> TakeDtrChanges() override {
    std::vector<bool> changes;
    changes.swap(dtr_);
    return changes;
  }
  bool CanSeeDtr() override { return reported_; }

 private:
  PtyLine& pty_;
  std::vector<bool> dtr_;
  bool reported_ = false;
};

PtyPhoneHost::PtyPhoneHost(const PhoneSimOptions& options) : options_(options), phone_(options.phone) {}

PtyPhoneHost::~PtyPhoneHost() = default;

bool PtyPhoneHost::Start(std::string* error) {
  if (!options_.eepromFile.empty()) {
    std::vector<uint8_t> block;
    switch (LoadEeprom(options_.eepromFile, options_.phone.blockLength, &block, error)) {
      case EepromLoad::Failed: return false;
      case EepromLoad::Loaded: phone_.LoadBlock(block); break;
      case EepromLoad::Missing: break;
    }
  }
  if (!pty_.Open()) {
    *error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
    return false;
  }
  if (!options_.lineEventsPath.empty() && !pty_.FollowLineEvents(options_.lineEventsPath)) {
    *error = "cannot follow the line events at " + options_.lineEventsPath + ": " + std::strerror(errno);
    return false;
  }
  side_ = std::make_unique<Side>(pty_);
  phone_.SetCanSeeDtr(false);
  phone_.onEvent = [this](const PhoneEvent& event) { LogLine(FormatPhoneEvent(event)); };
  phone_.onBlockWritten = [this](const std::vector<uint8_t>& block) {
    if (options_.eepromFile.empty()) return;
    std::string failure;
    if (SaveEeprom(options_.eepromFile, block, &failure)) {
      LogLine("block 5071 saved to " + options_.eepromFile);
    } else {
      ++saveFailures_;
      saveError_ = failure;
      LogLine("block 5071 NOT saved: " + failure);
    }
  };
  return true;
}

bool PtyPhoneHost::Run(const std::atomic<bool>& stop) {
  PhoneRunner runner(phone_, *side_);
  LogLine(std::string("phone ") + StateName(phone_.State()) + ", AT at " + std::to_string(options_.phone.atRate) +
          " baud, on " + DevicePath());
  bool stopped = runner.Run(stop);
  LogLine(stopped ? "stopped" : std::string("line failed: ") + std::strerror(errno));
  return stopped;
}

int PtyPhoneHost::SaveFailures(std::string* error) const {
  if (error) *error = saveError_;
  return saveFailures_;
}

void PtyPhoneHost::LogLine(const std::string& line) {
  if (log_) *log_ << line << std::endl;
}

int ServePhoneOnPty(const PhoneSimOptions& options, std::ostream& out, std::ostream& err,
                    const std::atomic<bool>& stop) {
  PtyPhoneHost host(options);
  std::string error;
  if (!host.Start(&error)) {
    err << "quavrel phone-sim: " << error << "\n";
    return 1;
  }
  std::ofstream logFile;
  if (!options.logFile.empty()) {
    logFile.open(options.logFile, std::ios::out | std::ios::app);
    if (!logFile) {
      err << "quavrel phone-sim: cannot write the log " << options.logFile << "\n";
      return 1;
    }
  }
  if (!options.quiet) host.SetLog(options.logFile.empty() ? &err : &logFile);
  out << host.DevicePath() << std::endl;
  bool stopped = host.Run(stop);
  if (host.SaveFailures(&error) > 0) {
    err << "quavrel phone-sim: block 5071 could not be saved: " << error << "\n";
    return 1;
  }
  return stopped ? 0 : 1;
}

}  // namespace sim
