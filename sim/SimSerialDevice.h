#pragma once
// An open handle on a SimLine, with the semantics of a Win32 COM port: a
// read waits until all its bytes are in or its total time-out has passed and
// then succeeds with what came; a write returns when its bytes are out, or
// at its total time-out with those that went. Waiting moves the line's
// virtual clock, so a read that times out costs exactly its time-out.
//
// SETXOFF holds transmission until SETXON: a write meanwhile moves nothing
// and returns at its time-out. A break has nothing on the wire to show.
//
// Simplifications: the interval time-out is not modelled, and a read with no
// total time-out (a held write with no write time-out) returns what is there
// (nothing) at once instead of blocking forever.
#include "sim/SimLine.h"
#include "sys/Serial.h"

namespace sim {

class SimSerialDevice : public sys::SerialDevice {
 public:
  // Opens the line; it must not be open already (SimSerialOpener checks).
  explicit SimSerialDevice(SimLine& line);
  ~SimSerialDevice() override;
  SimSerialDevice(const SimSerialDevice&) = delete;
  SimSerialDevice& operator=(const SimSerialDevice&) = delete;

  bool GetCommState(sys::Dcb* dcb) override;
  bool SetCommState(const sys::Dcb& dcb) override;
  bool SetCommTimeouts(const sys::CommTimeouts& timeouts) override;
  bool EscapeCommFunction(unsigned function) override;
  bool PurgeComm(unsigned flags) override;
  bool ClearCommError(unsigned* errors) override;
  bool ReadFile(void* buffer, unsigned count, unsigned* read) override;
  bool WriteFile(const void* bytes, unsigned count, unsigned* written) override;

 private:
  SimLine& line_;
  bool transmitHeld_ = false;  // by SETXOFF
};

}  // namespace sim
