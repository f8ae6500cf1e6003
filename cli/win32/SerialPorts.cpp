// Serial ports on Windows: the COM ports the system has registered, as
// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM lists them (each driver's device name
// with its COM name). Wine fills the same key from its own port mapping.
#include "cli/SerialPorts.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>

namespace {

// "COM12" as 12, so that COM10 sorts after COM9.
long ComNumber(const std::string& name) { return name.size() > 3 ? std::atol(name.c_str() + 3) : 0; }

}  // namespace

bool FindSerialPorts(std::vector<SerialPortEntry>* ports, std::string* error) {
  ports->clear();
  HKEY key;
  const LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key);
  if (opened == ERROR_FILE_NOT_FOUND) return true;  // the key is made with the first port
  if (opened != ERROR_SUCCESS) {
    *error = "cannot read the system's list of serial ports (error " + std::to_string(opened) + ")";
    return false;
  }
  for (DWORD index = 0;; ++index) {
    char name[256];
    BYTE data[256];
    DWORD nameSize = sizeof name, dataSize = sizeof data - 1, type = 0;
    const LONG got = RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize);
    if (got == ERROR_NO_MORE_ITEMS) break;
    if (got != ERROR_SUCCESS || type != REG_SZ) continue;
    data[dataSize] = 0;
    SerialPortEntry port;
    port.device = reinterpret_cast<const char*>(data);
    port.kind = std::string("serial port (") + name + ")";
    ports->push_back(port);
  }
  RegCloseKey(key);
  std::sort(ports->begin(), ports->end(), [](const SerialPortEntry& a, const SerialPortEntry& b) {
    return ComNumber(a.device) < ComNumber(b.device);
  });
  return true;
}
