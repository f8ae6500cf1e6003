// "quavrel ports" on a /dev and /sys tree of the test's own, laid out as
// Linux lays them out (sysfs class entries as links into the device tree).
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/cli/CliTestSupport.h"

using namespace cli_testing;
namespace fs = std::filesystem;

namespace {

// The tree the command lists for the object's lifetime.
struct PortsRoot {
  fs::path root;
  explicit PortsRoot(const fs::path& at) : root(at) {
    fs::create_directories(root / "dev");
    fs::create_directories(root / "sys/class/tty");
    setenv("QUAVREL_PORTS_ROOT", root.c_str(), 1);
  }
  ~PortsRoot() { unsetenv("QUAVREL_PORTS_ROOT"); }

  // A device node anyone may open; given the folder of its device (below
  // sys/devices), its tty there with "device" leading back to that folder,
  // the class entry linked to it and its UART type if any.
  void Node(const std::string& node, const std::string& device = "", const char* type = nullptr) {
    WriteFile(root / "dev" / node, "");
    chmod((root / "dev" / node).c_str(), 0666);
    if (device.empty()) return;
    const fs::path tty = root / "sys/devices" / device / "tty" / node;
    fs::create_directories(tty);
    fs::create_directory_symlink("../..", tty / "device");
    fs::create_directory_symlink(fs::relative(tty, root / "sys/class/tty"), root / "sys/class/tty" / node);
    if (type) WriteFile(tty / "type", std::string(type) + "\n");
  }
};

// Root may open everything, so a port closed to the user is tried as the
// user nobody in a child process when the tests run as root.
RunResult PortsAsUser() {
  if (geteuid() != 0) return Quavrel({"ports"});
  WriteFile("report", "");
  chmod("report", 0666);
  const pid_t child = fork();
  if (child == 0) {
    if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
    RunResult run = Quavrel({"ports"});
    std::ofstream("report") << run.code << "\n" << run.out << run.err;
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  const std::string report = ReadFile("report");
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {-1, report, "the child failed"};
  return {std::atoi(report.c_str()), report.substr(report.find('\n') + 1), ""};
}

}  // namespace

TEST(PortsTree, ListsRealPortsWithTheirNamesUsbFactsWineNamesAndAccessAndAMissingDevFails) {
  ScopedWorkDir dir;
  PortsRoot tree(dir.Path() / "root");
  const std::string noCom =
      "    under Wine: no COM name by default (Wine numbers /dev/ttyS0 and up only to the first one missing)\n";
  // Its device folder ("": no sysfs entry at all), its UART's type (nullptr:
  // no type file) and what the listing says of it first ("": no port).
  struct Port { const char* node; const char* device; const char* type; std::string listed; };
  const Port ports[] = {
      {"ttyS0", "pnp0/00:05", "4", "/dev/ttyS0: serial port (16550A UART)\n    under Wine: COM1\n"},
      // One of the 8250 driver's empty places; there is no ttyS2, so Wine
      // numbers no further ttyS, and ttyS10 sorts after ttyS3.
      {"ttyS1", "platform/serial8250", "0", ""},
      {"ttyS3", "pci0000:00/0000:00:16.3", "3", "/dev/ttyS3: serial port (16550 UART)\n" + noCom},
      {"ttyS10", "pci0000:00/0000:00:16.4", "4", "/dev/ttyS10: serial port (16550A UART)\n" + noCom},
      // A USB serial adapter's tty hangs below its port, below the interface,
      // below the USB device; a modem-class tty right below the interface.
      {"ttyUSB0", "usb1/1-2/1-2:1.0/ttyUSB0", nullptr,
       "/dev/ttyUSB0: USB serial adapter, USB 0403:6001 (FTDI, FT232R USB UART)\n"
       "    by id: /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50C-if00-port0\n    under Wine: COM3\n"},
      {"ttyUSB1", "", nullptr, "/dev/ttyUSB1: USB serial adapter\n    under Wine: COM4\n"},
      {"ttyACM0", "usb1/1-3/1-3:1.0", nullptr, "/dev/ttyACM0: USB modem-class (ACM) device, USB 2e8a:000a (Pico)\n"
                                               "    under Wine: COM5\n"},
      {"ttyS", "", nullptr, ""}, {"ttySAC0", "", nullptr, ""}, {"tty1", "", nullptr, ""},
  };
  // As root, ttyACM0 belongs to the group dialout; else it is closed to all.
  const struct group* dialout = geteuid() == 0 ? getgrnam("dialout") : nullptr;
  std::string closed = "no (Permission denied)";
  if (dialout)
    closed += ": it belongs to the group dialout; add yourself with \"sudo usermod -aG dialout $USER\" and log in again";
  std::string expected;
  for (const Port& port : ports) {
    tree.Node(port.node, port.device, port.type);
    if (!port.listed.empty())
      expected += port.listed + "    you may open it: " + (port.node == std::string("ttyACM0") ? closed : "yes") + "\n";
  }
  const std::pair<std::string, std::vector<std::pair<std::string, std::string>>> usb[] = {
      {"usb1/1-2", {{"idVendor", "0403"}, {"idProduct", "6001"}, {"manufacturer", "FTDI"}, {"product", "FT232R USB UART"}}},
      {"usb1", {{"idVendor", "1d6b"}, {"idProduct", "0002"}}},  // the root hub above them
      {"usb1/1-3", {{"idVendor", "2e8a"}, {"idProduct", "000a"}, {"product", "Pico"}}},
  };
  for (const auto& [device, attributes] : usb)
    for (const auto& [name, value] : attributes) WriteFile(tree.root / "sys/devices" / device / name, value + "\n");
  fs::create_directories(tree.root / "dev/serial/by-id");
  fs::create_symlink("../../ttyUSB0", tree.root / "dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50C-if00-port0");
  fs::create_symlink("../../ttyUSB7", tree.root / "dev/serial/by-id/usb-Gone_Cable-if00-port0");
  const std::string acm = (tree.root / "dev/ttyACM0").string();
  ASSERT_EQ(dialout ? chown(acm.c_str(), 0, dialout->gr_gid) + chmod(acm.c_str(), 0660) : chmod(acm.c_str(), 0), 0);

  RunResult run = PortsAsUser();
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, expected + "6 serial ports\n");

  fs::remove_all(tree.root / "dev");
  ExpectFailure({"ports"}, 1, "cannot list '" + (tree.root / "dev").string() + "'");
}
