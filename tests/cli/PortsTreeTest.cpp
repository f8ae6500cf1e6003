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

class PortsRoot {
 public:
  explicit PortsRoot(const fs::path& root) : root_(root) {
    fs::create_directories(root / "dev");
    fs::create_directories(root / "sys" / "class" / "tty");
    setenv("QUAVREL_PORTS_ROOT", root.c_str(), 1);
  }
  ~PortsRoot() { unsetenv("QUAVREL_PORTS_ROOT"); }

  // A device node stand-in that anyone may open.
  void Node(const std::string& name) {
    WriteFile(root_ / "dev" / name, "");
    fs::permissions(root_ / "dev" / name, fs::perms::all & ~fs::perms::owner_exec & ~fs::perms::group_exec &
                                              ~fs::perms::others_exec);
  }

  // /sys/class/tty/NAME as a link to DEVICE_DIR/tty/NAME, whose "device"
  // leads back to DEVICE_DIR (a path below sys/devices).
  fs::path Tty(const std::string& name, const std::string& deviceDir) {
    const fs::path device = root_ / "sys" / "devices" / deviceDir;
    const fs::path tty = device / "tty" / name;
    fs::create_directories(tty);
    fs::create_directory_symlink("../..", tty / "device");
    fs::create_directory_symlink(fs::relative(tty, root_ / "sys" / "class" / "tty"),
                                 root_ / "sys" / "class" / "tty" / name);
    return tty;
  }

  void Uart(const std::string& name, const std::string& deviceDir, int type) {
    WriteFile(Tty(name, deviceDir) / "type", std::to_string(type) + "\n");
  }

  void Usb(const std::string& usbDevice, const std::vector<std::pair<std::string, std::string>>& attributes) {
    for (const auto& [name, value] : attributes) WriteFile(root_ / "sys" / "devices" / usbDevice / name, value + "\n");
  }

  void ById(const std::string& name, const std::string& target) {
    fs::create_directories(root_ / "dev" / "serial" / "by-id");
    fs::create_symlink(target, root_ / "dev" / "serial" / "by-id" / name);
  }

  fs::path Dev(const std::string& name) const { return root_ / "dev" / name; }

 private:
  fs::path root_;
};

// Root may open everything, so a port closed to the user is tried as the
// user nobody in a child process when the tests run as root.
RunResult PortsAsUser() {
  if (geteuid() != 0) return Quavrel({"ports"});
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return {-1, "", "no pipe"};
  const pid_t child = fork();
  if (child == 0) {
    close(pipeEnds[0]);
    if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
    RunResult run = Quavrel({"ports"});
    const std::string report = std::to_string(run.code) + "\n" + run.out + run.err;
    const bool written = write(pipeEnds[1], report.data(), report.size()) == static_cast<ssize_t>(report.size());
    _exit(written ? 0 : 4);
  }
  close(pipeEnds[1]);
  std::string report;
  char buffer[4096];
  for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) report.append(buffer, static_cast<size_t>(got));
  close(pipeEnds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {-1, report, "the child failed"};
  const size_t newline = report.find('\n');
  return {std::atoi(report.c_str()), report.substr(newline + 1), ""};
}

}  // namespace

TEST(PortsTree, ListsRealPortsWithTheirNamesUsbFactsWineNamesAndAccess) {
  ScopedWorkDir dir;
  PortsRoot tree(dir.Path() / "root");
  // ttyS0 has a UART; ttyS1 is one of the 8250 driver's empty places; there
  // is no ttyS2, so Wine numbers no further ttyS; ttyS10 sorts after ttyS3.
  for (const char* name : {"ttyS0", "ttyS1", "ttyS3", "ttyS10", "ttyUSB0", "ttyUSB1", "ttyACM0", "ttyS", "ttySAC0", "tty1"})
    tree.Node(name);
  tree.Uart("ttyS0", "pnp0/00:05", 4);
  tree.Uart("ttyS1", "platform/serial8250", 0);
  tree.Uart("ttyS3", "pci0000:00/0000:00:16.3", 3);
  tree.Uart("ttyS10", "pci0000:00/0000:00:16.4", 4);
  // A USB serial adapter's tty hangs below its port, below the interface,
  // below the USB device; a modem-class tty right below the interface.
  tree.Tty("ttyUSB0", "usb1/1-2/1-2:1.0/ttyUSB0");
  tree.Usb("usb1/1-2", {{"idVendor", "0403"}, {"idProduct", "6001"}, {"manufacturer", "FTDI"}, {"product", "FT232R USB UART"}});
  tree.Usb("usb1", {{"idVendor", "1d6b"}, {"idProduct", "0002"}});  // the root hub above it
  tree.Tty("ttyACM0", "usb1/1-3/1-3:1.0");
  tree.Usb("usb1/1-3", {{"idVendor", "2e8a"}, {"idProduct", "000a"}, {"product", "Pico"}});
  tree.ById("usb-FTDI_FT232R_USB_UART_A50C-if00-port0", "../../ttyUSB0");
  tree.ById("usb-Gone_Cable-if00-port0", "../../ttyUSB7");
  // ttyUSB1 has no sysfs entry at all.

  std::string closed = "no (Permission denied)";
  const struct group* dialout = getgrnam("dialout");
  if (geteuid() == 0 && dialout) {
    ASSERT_EQ(chown(tree.Dev("ttyACM0").c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(chmod(tree.Dev("ttyACM0").c_str(), 0660), 0);
    closed += ": it belongs to the group dialout; add yourself with \"sudo usermod -aG dialout $USER\" and log in again";
  } else {
    ASSERT_EQ(chmod(tree.Dev("ttyACM0").c_str(), 0), 0);
  }

  RunResult run = PortsAsUser();
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out,
            "/dev/ttyS0: serial port (16550A UART)\n"
            "    under Wine: COM1\n"
            "    you may open it: yes\n"
            "/dev/ttyS3: serial port (16550 UART)\n"
            "    under Wine: no COM name by default (Wine numbers /dev/ttyS0 and up only to the first one missing)\n"
            "    you may open it: yes\n"
            "/dev/ttyS10: serial port (16550A UART)\n"
            "    under Wine: no COM name by default (Wine numbers /dev/ttyS0 and up only to the first one missing)\n"
            "    you may open it: yes\n"
            "/dev/ttyUSB0: USB serial adapter, USB 0403:6001 (FTDI, FT232R USB UART)\n"
            "    by id: /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50C-if00-port0\n"
            "    under Wine: COM3\n"
            "    you may open it: yes\n"
            "/dev/ttyUSB1: USB serial adapter\n"
            "    under Wine: COM4\n"
            "    you may open it: yes\n"
            "/dev/ttyACM0: USB modem-class (ACM) device, USB 2e8a:000a (Pico)\n"
            "    under Wine: COM5\n"
            "    you may open it: " + closed + "\n"
            "6 serial ports\n");
}

TEST(PortsTree, AnEmptyTreeHasNoPortsAndAMissingDevFails) {
  ScopedWorkDir dir;
  {
    PortsRoot tree(dir.Path() / "empty");
    tree.Node("ttyS0");  // a node without a UART behind it
    tree.Uart("ttyS0", "platform/serial8250", 0);
    RunResult run = Quavrel({"ports"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "No serial ports found.")) << run.out;
  }
  PortsRoot tree(dir.Path() / "none");
  fs::remove_all(dir.Path() / "none" / "dev");
  ExpectFailure({"ports"}, 1, "cannot list '" + (dir.Path() / "none" / "dev").string() + "'");
}
