#pragma once
// A serial line for the protocol tests: it records everything the program
// does to the port (writes with their time and line settings, modem-line and
// setting changes) and plays replies that the test scripts, on a virtual
// clock, so time-outs cost no real time and can be checked exactly.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "sys/Clock.h"
#include "sys/Serial.h"

namespace link_test {

using Bytes = std::vector<uint8_t>;

class TestClock : public sys::Clock {
 public:
  TestClock() { sys::SetClock(this); }
  ~TestClock() override { sys::SetClock(nullptr); }
  uint32_t NowMs() override { return now; }
  void SleepMs(uint32_t ms) override {
    sleeps.push_back(ms);
    now += ms;
  }
  uint32_t now = 1000;
  std::vector<uint32_t> sleeps;
};

struct LineWrite {
  uint32_t time;
  Bytes bytes;
  uint32_t baud;
  uint8_t parity;
  bool dtr;
};

// What happened on the port besides writes, in order: "DTR 1", "RTS 1",
// "SET 57600 N", "TIMEOUTS 50/50", "PURGE", "CLEAR", "READ 34 -> 0".
struct LineEvent {
  uint32_t time;
  std::string what;
};

class ScriptedLine {
 public:
  explicit ScriptedLine(TestClock& clock) : clock_(clock) {}

  // Called after every write with what was written; scripts replies.
  std::function<void(ScriptedLine&, const LineWrite&)> respond;
  // Replies bytes that arrive delayMs after now.
  void Reply(const Bytes& bytes, uint32_t delayMs = 5);
  void Reply(const std::string& text, uint32_t delayMs = 5) {
    Reply(Bytes(text.begin(), text.end()), delayMs);
  }

  // Fault knobs.
  int failWriteNumber = 0;        // the Nth write (1-based) moves no byte and fails
  bool failGetCommState = false;
  bool failSetCommState = false;
  bool failEscape = false;
  std::vector<unsigned> failEscapeCodes;  // only these codes fail
  bool failPurge = false;
  bool failRead = false;

  // The driver's settings as reported at open.
  sys::Dcb driverDcb = DefaultDriverDcb();

  // Transcript.
  std::vector<LineWrite> writes;
  std::vector<LineEvent> events;
  sys::Dcb dcb = DefaultDriverDcb();
  sys::CommTimeouts timeouts = {};
  bool dtr = false;
  bool rts = false;
  bool held = false;
  int opens = 0;

  Bytes AllWritten() const;
  // Writes whose bytes equal the given ones.
  int CountWrites(const Bytes& bytes) const;
  bool HasEvent(const std::string& what) const;
  size_t PendingBytes() const { return pending_.size(); }

  static sys::Dcb DefaultDriverDcb();

  // Device side.
  bool Read(void* buffer, unsigned count, unsigned* read);
  bool Write(const void* bytes, unsigned count, unsigned* written);
  TestClock& Clock() { return clock_; }

 private:
  struct Pending {
    uint32_t at;
    uint8_t byte;
  };
  TestClock& clock_;
  std::deque<Pending> pending_;
};

class ScriptedDevice : public sys::SerialDevice {
 public:
  explicit ScriptedDevice(ScriptedLine& line) : line_(line) { line_.held = true; }
  ~ScriptedDevice() override;
  bool GetCommState(sys::Dcb* dcb) override;
  bool SetCommState(const sys::Dcb& dcb) override;
  bool SetCommTimeouts(const sys::CommTimeouts& timeouts) override;
  bool EscapeCommFunction(unsigned function) override;
  bool PurgeComm(unsigned flags) override;
  bool ClearCommError(unsigned* errors) override;
  bool ReadFile(void* buffer, unsigned count, unsigned* read) override;
  bool WriteFile(const void* bytes, unsigned count, unsigned* written) override;

 private:
  ScriptedLine& line_;
};

// Hands out devices on the lines it knows by port name, without sharing;
// installs itself for its lifetime.
class ScriptedOpener : public sys::SerialOpener {
 public:
  ScriptedOpener() { sys::SetSerialOpener(this); }
  ~ScriptedOpener() override { sys::SetSerialOpener(nullptr); }
  void Attach(const std::string& name, ScriptedLine& line) { lines_[name] = &line; }
  sys::SerialDevice* Open(const char* name) override;
  std::vector<std::string> opened;  // every name asked for

 private:
  std::map<std::string, ScriptedLine*> lines_;
};

// Frame helpers for scripts.
Bytes Frame(uint8_t type, const Bytes& payload);           // header check filled in
Bytes BlockReply(const Bytes& payloadWithoutCheck);        // type 0x14, check appended
std::string Hex(const Bytes& bytes);

// A phone: in service mode it answers pings, the information query (with the
// given length and info byte), open, data (storing the chunk), close and the
// finishing commands, and the power-off request. Faults as fields.
struct ServicePhone {
  // In normal mode it only takes "at^sqwe=1\r" at 57600 ("OK"), which puts
  // it into service mode; a confirmed power-off leaves it silent.
  bool serviceMode = true;
  bool off = false;
  uint16_t blockLength = 2408;
  uint8_t infoByte = 0x5A;
  bool answerPing = true;
  bool answerData = true;
  uint8_t dataReply = 0x12;
  int refuseOffset = -1;   // this chunk is always answered 0x13
  bool confirmPowerOff = true;
  Bytes block = Bytes(2408, 0xEE);
  int dataFrames = 0;

  void Attach(ScriptedLine& line);
};

// A switched-off phone while its power key is held: answers the wake byte
// (from the given one on) and takes the boot block.
struct BootingPhone {
  int answerFromWake = 1;  // 1-based count of 0x55 bytes
  uint8_t wakeAnswer = 0xA0;
  bool acceptCode = true;
  int wakes = 0;
  int blockBytes = -1;  // -1: not in a block
  Bytes block;

  void Attach(ScriptedLine& line);
};

}  // namespace link_test
