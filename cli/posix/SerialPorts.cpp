// Serial ports on Linux: the device nodes in /dev, told apart and described
// from what the kernel shows in /sys. Nothing is opened: opening a real port
// raises its DTR and RTS lines, which a listing must not do.
#include "cli/SerialPorts.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Wine's order: its mount manager numbers COM ports over these families in
// turn.
const char* const kFamilies[] = {"ttyS", "ttyUSB", "ttyACM"};
constexpr int kFamilyCount = 3;
// Wine gives out COM1 to COM256.
constexpr int kWinePortLimit = 256;

// QUAVREL_PORTS_ROOT=DIR makes the command read DIR/dev and DIR/sys, so that
// the tests can list a tree of their own. Names are still printed as under /.
struct Roots {
  fs::path dev;
  fs::path sys;
};

Roots PortRoots() {
  const char* root = std::getenv("QUAVREL_PORTS_ROOT");
  fs::path base = root && *root ? fs::path(root) : fs::path("/");
  return {base / "dev", base / "sys"};
}

// "ttyUSB12" as family 1, number 12; false for any other name.
bool SplitName(const std::string& name, int* family, int* number) {
  for (int f = 0; f < kFamilyCount; ++f) {
    const size_t length = std::strlen(kFamilies[f]);
    if (name.compare(0, length, kFamilies[f]) != 0 || name.size() == length || name.size() > length + 3) continue;
    if (!std::all_of(name.begin() + length, name.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
    *family = f;
    *number = std::atoi(name.c_str() + length);
    return true;
  }
  return false;
}

std::string Name(int family, int number) { return kFamilies[family] + std::to_string(number); }

// A sysfs attribute's first line; empty when it is not there.
std::string Attribute(const fs::path& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

// The serial core's "type" is the UART it found (the type TIOCGSERIAL
// reports, readable here without opening the port). The "device" link alone
// proves nothing: the 8250 driver registers as many ports as it is built for
// (4 by default) and links those where it found no UART to its platform
// device as well, with type 0 (PORT_UNKNOWN).
int UartType(const Roots& roots, const std::string& name) {
  const fs::path tty = roots.sys / "class" / "tty" / name;
  std::error_code error;
  if (!fs::exists(tty / "device", error)) return 0;
  return std::atoi(Attribute(tty / "type").c_str());
}

std::string UartKind(int type) {
  // The 8250 family's first types, as the kernel numbers them; later ones by number.
  static const char* const kNames[] = {nullptr, "8250", "16450", "16550", "16550A"};
  if (type > 0 && type < 5) return std::string("serial port (") + kNames[type] + " UART)";
  return "serial port (UART type " + std::to_string(type) + ")";
}

// The USB device above a tty: a ttyACM's device is the USB interface, a
// ttyUSB's the adapter's port below it; the device with idVendor is the
// interface's parent.
std::string UsbDescription(const Roots& roots, const std::string& name) {
  std::error_code error;
  const fs::path sysRoot = fs::canonical(roots.sys, error);
  fs::path dir = fs::canonical(roots.sys / "class" / "tty" / name / "device", error);
  if (error) return "";
  for (int up = 0; up < 4 && dir != sysRoot && dir.has_parent_path(); ++up, dir = dir.parent_path()) {
    const std::string vendor = Attribute(dir / "idVendor");
    if (vendor.empty()) continue;
    std::string text = vendor + ":" + Attribute(dir / "idProduct");
    std::string names = Attribute(dir / "manufacturer");
    const std::string product = Attribute(dir / "product");
    if (!names.empty() && !product.empty()) names += ", ";
    names += product;
    if (!names.empty()) text += " (" + names + ")";
    return text;
  }
  return "";
}

// The /dev/serial/by-id links that lead to the device, as udev makes them
// for USB adapters.
std::vector<std::string> ByIdNames(const Roots& roots, const fs::path& device) {
  std::vector<std::string> names;
  std::error_code error;
  const fs::path target = fs::canonical(device, error);
  if (error) return names;
  for (const fs::directory_entry& entry : fs::directory_iterator(roots.dev / "serial" / "by-id", error)) {
    std::error_code linkError;
    if (fs::canonical(entry.path(), linkError) == target && !linkError)
      names.push_back("/dev/serial/by-id/" + entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool InGroup(gid_t group) {
  std::vector<gid_t> groups(static_cast<size_t>(std::max(getgroups(0, nullptr), 0)));
  groups.resize(static_cast<size_t>(std::max(getgroups(static_cast<int>(groups.size()), groups.data()), 0)));
  return getegid() == group || std::find(groups.begin(), groups.end(), group) != groups.end();
}

// Whether this user may open the device for reading and writing, and if not,
// what would let them: serial devices are usually the dialout group's.
std::string AccessText(const fs::path& device) {
  if (access(device.c_str(), R_OK | W_OK) == 0) return "yes";
  const int why = errno;
  std::string text = std::string("no (") + std::strerror(why) + ")";
  struct stat info;
  if (why != EACCES || stat(device.c_str(), &info) != 0) return text;
  const bool groupMayOpen = (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
  const struct group* group = getgrgid(info.st_gid);
  if (!groupMayOpen || !group || info.st_gid == 0 || InGroup(info.st_gid)) return text;
  const std::string name = group->gr_name;
  return text + ": it belongs to the group " + name + "; add yourself with \"sudo usermod -aG " + name +
         " $USER\" and log in again";
}

}  // namespace

bool FindSerialPorts(std::vector<SerialPortEntry>* ports, std::string* error) {
  const Roots roots = PortRoots();
  std::vector<std::pair<int, int>> found;  // family, number
  std::error_code listError;
  for (const fs::directory_entry& entry : fs::directory_iterator(roots.dev, listError)) {
    int family = 0, number = 0;
    if (SplitName(entry.path().filename().string(), &family, &number)) found.emplace_back(family, number);
  }
  if (listError) {
    *error = "cannot list '" + roots.dev.string() + "': " + listError.message();
    return false;
  }
  std::sort(found.begin(), found.end());

  // A fresh Wine prefix gives COM1, COM2, ... to /dev/ttyS0, ttyS1, ... up
  // to the first number that is missing, then to the ttyUSB and ttyACM
  // devices the same way. Every ttyS node counts, with a UART or not.
  std::vector<std::pair<int, int>> wineOrder;
  for (int family = 0; family < kFamilyCount; ++family)
    for (int number = 0; std::binary_search(found.begin(), found.end(), std::make_pair(family, number)); ++number)
      wineOrder.emplace_back(family, number);

  ports->clear();
  for (const auto& [family, number] : found) {
    const std::string name = Name(family, number);
    const fs::path path = roots.dev / name;
    SerialPortEntry port;
    port.device = "/dev/" + name;
    if (family == 0) {
      const int type = UartType(roots, name);
      if (type == 0) continue;  // a node with no port behind it
      port.kind = UartKind(type);
    } else {
      port.kind = family == 1 ? "USB serial adapter" : "USB modem-class (ACM) device";
      port.usb = UsbDescription(roots, name);
    }
    port.byId = ByIdNames(roots, path);
    const auto place = std::find(wineOrder.begin(), wineOrder.end(), std::make_pair(family, number));
    const long com = place - wineOrder.begin() + 1;
    if (place == wineOrder.end())
      port.wineName = "no COM name by default (Wine numbers /dev/" + std::string(kFamilies[family]) +
                      "0 and up only to the first one missing)";
    else if (com > kWinePortLimit)
      port.wineName = "no COM name by default (Wine stops at COM256)";
    else
      port.wineName = "COM" + std::to_string(com);
    port.access = AccessText(path);
    ports->push_back(port);
  }
  return true;
}
