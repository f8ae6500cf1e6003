// COM ports through the Win32 API: every call goes straight to the system,
// so failures leave GetLastError exactly as Windows set it.
#include <windows.h>

#include <cstring>

#include "sys/Serial.h"

namespace sys {
namespace {

static_assert(sizeof(DCB) == sizeof(Dcb), "Dcb must match DCB byte for byte");
static_assert(sizeof(COMMTIMEOUTS) == sizeof(CommTimeouts), "CommTimeouts must match COMMTIMEOUTS");

class Win32SerialDevice : public SerialDevice {
 public:
  explicit Win32SerialDevice(HANDLE handle) : handle_(handle) {}
  ~Win32SerialDevice() override { CloseHandle(handle_); }

  bool GetCommState(Dcb* dcb) override {
    DCB native;
    std::memcpy(&native, dcb, sizeof native);
    if (!::GetCommState(handle_, &native)) return false;
    std::memcpy(dcb, &native, sizeof native);
    return true;
  }
  bool SetCommState(const Dcb& dcb) override {
    DCB native;
    std::memcpy(&native, &dcb, sizeof native);
    return ::SetCommState(handle_, &native) != 0;
  }
  bool SetCommTimeouts(const CommTimeouts& timeouts) override {
    COMMTIMEOUTS native;
    std::memcpy(&native, &timeouts, sizeof native);
    return ::SetCommTimeouts(handle_, &native) != 0;
  }
  bool EscapeCommFunction(unsigned function) override { return ::EscapeCommFunction(handle_, function) != 0; }
  bool PurgeComm(unsigned flags) override { return ::PurgeComm(handle_, flags) != 0; }
  bool ClearCommError(unsigned* errors) override {
    DWORD native = 0;
    if (!::ClearCommError(handle_, &native, nullptr)) return false;
    if (errors) *errors = native;
    return true;
  }
  bool ReadFile(void* buffer, unsigned count, unsigned* read) override {
    DWORD done = 0;
    BOOL ok = ::ReadFile(handle_, buffer, count, &done, nullptr);
    if (read) *read = done;
    return ok != 0;
  }
  bool WriteFile(const void* bytes, unsigned count, unsigned* written) override {
    DWORD done = 0;
    BOOL ok = ::WriteFile(handle_, bytes, count, &done, nullptr);
    if (written) *written = done;
    return ok != 0;
  }

 private:
  HANDLE handle_;
};

class Win32SerialOpener : public SerialOpener {
 public:
  SerialDevice* Open(const char* name) override {
    HANDLE handle = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return new Win32SerialDevice(handle);
  }
};

}  // namespace

SerialOpener& PlatformSerialOpener() {
  static Win32SerialOpener opener;
  return opener;
}

}  // namespace sys
