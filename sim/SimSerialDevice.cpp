#include "sim/SimSerialDevice.h"

#include <algorithm>

#include "sys/SystemInfo.h"

namespace sim {
namespace {
// Win32 error codes the simulated driver reports.
constexpr unsigned kErrorGenFailure = 31;
constexpr unsigned kErrorNotSupported = 50;
constexpr unsigned kErrorInvalidParameter = 87;
constexpr unsigned kErrorIoDevice = 1117;
constexpr unsigned kPurgeFlags = sys::kPurgeTxAbort | sys::kPurgeRxAbort | sys::kPurgeTxClear | sys::kPurgeRxClear;
// fDtrControl / fRtsControl: 0 disable, 1 enable, 2 handshake or toggle.
bool ControlRaisesLine(unsigned control) { return control != 0; }

bool Fail(unsigned error) {
  sys::SetLastError(error);
  return false;
}
}  // namespace

SimSerialDevice::SimSerialDevice(SimLine& line) : line_(line) {
  std::lock_guard<std::mutex> lock(line_.mutex_);
  uint64_t now = line_.clock_.NowUs();
  line_.open_ = true;
  ++line_.openCount_;
  // Whatever reached the port while nobody had it open is gone.
  line_.phone_.RunUntil(now);
  line_.Pull(now);
  line_.received_.clear();
  line_.errors_ = 0;
  line_.timeouts_ = sys::CommTimeouts{};
  if (ControlRaisesLine(line_.dcb_.fDtrControl) != line_.dtr_)
    line_.SetDtrLevel(ControlRaisesLine(line_.dcb_.fDtrControl), now);
  if (ControlRaisesLine(line_.dcb_.fRtsControl) != line_.rts_)
    line_.SetRtsLevel(ControlRaisesLine(line_.dcb_.fRtsControl), now);
}

SimSerialDevice::~SimSerialDevice() {
  std::lock_guard<std::mutex> lock(line_.mutex_);
  uint64_t now = line_.clock_.NowUs();
  // Closing a port drops its modem lines.
  if (line_.dtr_) line_.SetDtrLevel(false, now);
  if (line_.rts_) line_.SetRtsLevel(false, now);
  line_.open_ = false;
}

bool SimSerialDevice::GetCommState(sys::Dcb* dcb) {
  std::lock_guard<std::mutex> lock(line_.mutex_);
  if (line_.faults.getCommStateFails) return Fail(kErrorGenFailure);
  *dcb = line_.dcb_;
  return true;
}

bool SimSerialDevice::SetCommState(const sys::Dcb& dcb) {
  std::lock_guard<std::mutex> lock(line_.mutex_);
  if (line_.faults.setCommStateFails) return Fail(kErrorGenFailure);
  if (dcb.BaudRate == 0 || dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > 4 || dcb.StopBits > 2)
    return Fail(kErrorInvalidParameter);
  uint64_t now = line_.clock_.NowUs();
  // Bytes that came in before the change were read at the old settings.
  line_.phone_.RunUntil(now);
  line_.Pull(now);
  sys::Dcb previous = line_.dcb_;
  line_.dcb_ = dcb;
  PortEvent event(PortEvent::Kind::Settings, now);
  event.settings = line_.HostSettings();
  line_.Log().Add(event);
  if (dcb.fDtrControl != previous.fDtrControl && ControlRaisesLine(dcb.fDtrControl) != line_.dtr_)
    line_.SetDtrLevel(ControlRaisesLine(dcb.fDtrControl), now);
  if (dcb.fRtsControl != previous.fRtsControl && ControlRaisesLine(dcb.fRtsControl) != line_.rts_)
    line_.SetRtsLevel(ControlRaisesLine(dcb.fRtsControl), now);
  return true;
}

bool SimSerialDevice::SetCommTimeouts(const sys::CommTimeouts& timeouts) {
  std::lock_guard<std::mutex> lock(line_.mutex_);
  if (line_.faults.setTimeoutsFails) return Fail(kErrorGenFailure);
  line_.timeouts_ = timeouts;
  PortEvent event(PortEvent::Kind::Timeouts, line_.clock_.NowUs());
  event.timeouts = timeouts;
  event.settings = line_.HostSettings();
  line_.Log().Add(event);
  return true;
}

bool SimSerialDevice::EscapeCommFunction(unsigned function) {
  std::lock_guard<std::mutex> lock(line_.mutex_);
  if (line_.faults.escapeFails) return Fail(kErrorNotSupported);
  uint64_t now = line_.clock_.NowUs();
  switch (function) {
    case sys::kSetDtr: line_.SetDtrLevel(true, now); return true;
    case sys::kClrDtr: line_.SetDtrLevel(false, now); return true;
    case sys::kSetRts: line_.SetRtsLevel(true, now); return true;
    case sys::kClrRts: line_.SetRtsLevel(false, now); return true;
    case sys::kSetXoff: transmitHeld_ = true; return true;
    case sys::kSetXon: transmitHeld_ = false; return true;
    case sys::kSetBreak: case sys::kClrBreak: return true;  // nothing on the wire to model
    default: return Fail(kErrorInvalidParameter);
  }
}

bool SimSerialDevice::PurgeComm(unsigned flags) {
  std::lock_guard<std::mutex> lock(line_.mutex_);
  if (line_.faults.purgeFails) return Fail(kErrorGenFailure);
  if (flags & ~kPurgeFlags) return Fail(kErrorInvalidParameter);
  uint64_t now = line_.clock_.NowUs();
  // Reads and writes are synchronous, so the abort flags find nothing
  // pending, and a write is on the wire before it returns: only the receive
  // buffer has anything to clear.
  if (flags & sys::kPurgeRxClear) {
    line_.phone_.RunUntil(now);
    line_.Pull(now);
    line_.received_.clear();
  }
  PortEvent event(PortEvent::Kind::Purge, now);
  event.purgeFlags = flags;
  event.settings = line_.HostSettings();
  line_.Log().Add(event);
  return true;
}

bool SimSerialDevice::ClearCommError(unsigned* errors) {
  std::lock_guard<std::mutex> lock(line_.mutex_);
  uint64_t now = line_.clock_.NowUs();
  line_.phone_.RunUntil(now);
  line_.Pull(now);
  if (errors) *errors = line_.errors_;
  line_.errors_ = 0;
  return true;
}

bool SimSerialDevice::ReadFile(void* buffer, unsigned count, unsigned* read) {
  std::lock_guard<std::mutex> lock(line_.mutex_);
  uint64_t start = line_.clock_.NowUs();
  line_.phone_.RunUntil(start);
  line_.Pull(start);
  const sys::CommTimeouts& t = line_.timeouts_;
  uint64_t totalMs = uint64_t{t.ReadTotalTimeoutMultiplier} * count + t.ReadTotalTimeoutConstant;
  if (line_.received_.size() < count && totalMs > 0) {
    uint64_t deadline = start + totalMs * 1000;
    uint64_t end = deadline, arrived;
    while (line_.received_.size() < count && line_.PullNext(deadline, &arrived))
      if (line_.received_.size() >= count) end = std::max(arrived, start);
    line_.clock_.AdvanceToUs(end);
    line_.phone_.RunUntil(end);
  }
  unsigned got = static_cast<unsigned>(std::min<size_t>(count, line_.received_.size()));
  auto* out = static_cast<uint8_t*>(buffer);
  std::copy(line_.received_.begin(), line_.received_.begin() + got, out);
  line_.received_.erase(line_.received_.begin(), line_.received_.begin() + got);
  if (read) *read = got;
  PortEvent event(PortEvent::Kind::Read, start);
  event.endUs = line_.clock_.NowUs();
  event.bytes.assign(out, out + got);
  event.requested = count;
  event.settings = line_.HostSettings();
  line_.Log().Add(event);
  return true;
}

bool SimSerialDevice::WriteFile(const void* bytes, unsigned count, unsigned* written) {
  std::lock_guard<std::mutex> lock(line_.mutex_);
  uint64_t start = line_.clock_.NowUs();
  line_.phone_.RunUntil(start);
  const auto* data = static_cast<const uint8_t*>(bytes);
  std::vector<uint8_t> attempted(data, data + count);
  PortEvent event(PortEvent::Kind::Write, start);
  event.requested = count;
  event.settings = line_.HostSettings();
  ++line_.writeNumber_;
  if (line_.faults.writeMovesNothing && line_.faults.writeMovesNothing(line_.writeNumber_, attempted)) {
    if (written) *written = 0;
    line_.Log().Add(event);
    return line_.faults.failedWriteIsError ? Fail(kErrorIoDevice) : true;
  }
  const sys::CommTimeouts& t = line_.timeouts_;
  uint64_t limitMs = uint64_t{t.WriteTotalTimeoutMultiplier} * count + t.WriteTotalTimeoutConstant;
  uint64_t perByte = ByteTimeUs(event.settings);
  unsigned sent = count;
  if (transmitHeld_)
    sent = 0;  // until XON; without a write time-out it returns at once rather than never
  else if (limitMs > 0 && perByte > 0)
    sent = static_cast<unsigned>(std::min<uint64_t>(count, limitMs * 1000 / perByte));
  uint64_t end = line_.phone_.Receive(data, sent, event.settings, start);
  // A write cut short by its time-out returns at the time-out.
  line_.clock_.AdvanceToUs(sent < count ? start + limitMs * 1000 : end);
  if (written) *written = sent;
  event.endUs = line_.clock_.NowUs();
  event.bytes.assign(data, data + sent);
  line_.Log().Add(event);
  return true;
}

}  // namespace sim
