// How a Win32 line-settings record maps onto termios and back.
#include <errno.h>
#include <gtest/gtest.h>

#include <cstring>

#include "sys/posix/SerialTermios.h"

namespace {

namespace st = sys::serialtermios;

termios RawTty() {
  termios tio;
  std::memset(&tio, 0, sizeof tio);
  tio.c_cflag = CS8 | CREAD | CLOCAL;
  tio.c_cc[VSTART] = 0x11;
  tio.c_cc[VSTOP] = 0x13;
  cfsetospeed(&tio, B9600);
  return tio;
}

// What the phone link writes: 8N1 and its fixed characters.
sys::Dcb LinkRecord() {
  sys::Dcb dcb;
  std::memset(&dcb, 0, sizeof dcb);
  dcb.BaudRate = 57600;
  dcb.fDtrControl = 1;
  dcb.fRtsControl = 1;
  dcb.ByteSize = 8;
  dcb.XonChar = 0x6E;
  dcb.XoffChar = 0x66;
  dcb.ErrorChar = 0x72;
  dcb.EvtChar = 0x76;
  return dcb;
}

TEST(SerialPortNames, ComOneToNineAreTheFirstNineSerialPorts) {
  EXPECT_EQ("/dev/ttyS0", st::DevicePath("COM1"));
  EXPECT_EQ("/dev/ttyS8", st::DevicePath("com9"));
  EXPECT_EQ("COM10", st::DevicePath("COM10"));
  EXPECT_EQ("/dev/ttyUSB0", st::DevicePath("/dev/ttyUSB0"));
}

TEST(SerialTermiosMapping, CharacterFormatsRoundTrip) {
  struct Format {
    uint8_t byteSize, parity, stopBits;
    tcflag_t cflag;
  } const formats[] = {
      {8, 2, 0, CS8 | PARENB}, {7, 1, 0, CS7 | PARENB | PARODD},
      {8, 3, 2, CS8 | PARENB | PARODD | CMSPAR | CSTOPB}, {5, 0, 1, CS5 | CSTOPB},
  };
  for (const Format& format : formats) {
    sys::Dcb dcb = LinkRecord();
    dcb.ByteSize = format.byteSize, dcb.Parity = format.parity, dcb.StopBits = format.stopBits;
    termios tio = RawTty();
    ASSERT_TRUE(st::ApplyDcb(dcb, &tio));
    EXPECT_EQ(format.cflag, tio.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB));
    sys::Dcb back = LinkRecord();
    st::ReadDcb(tio, 57600, &back);
    EXPECT_EQ(format.byteSize, back.ByteSize);
    EXPECT_EQ(format.parity, back.Parity);
    EXPECT_EQ(format.stopBits, back.StopBits);
  }
}

TEST(SerialTermiosMapping, DriverFieldsComeFromTermiosTheRestStayAsSet) {
  sys::Dcb dcb = LinkRecord();
  dcb.fOutX = 1, dcb.fParity = 1, dcb.fOutxCtsFlow = 1, dcb.fNull = 1, dcb.XonLim = 2048;
  termios tio = RawTty();
  ASSERT_TRUE(st::ApplyDcb(dcb, &tio));
  EXPECT_EQ(static_cast<tcflag_t>(IXON | INPCK), tio.c_iflag & (IXON | IXOFF | INPCK));
  EXPECT_TRUE(tio.c_cflag & CRTSCTS);
  EXPECT_EQ(0x6E, tio.c_cc[VSTART]);

  sys::Dcb kept = LinkRecord();
  kept.fNull = 1, kept.XonLim = 2048, kept.fDtrControl = 2;
  st::ReadDcb(tio, 19200, &kept);
  EXPECT_EQ(19200u, kept.BaudRate);
  EXPECT_EQ(28u, kept.DCBlength);
  EXPECT_EQ(2u, kept.fRtsControl);  // CRTSCTS is RTS handshaking too
  EXPECT_EQ(1u, kept.fOutxCtsFlow);
  EXPECT_EQ(2u, kept.fDtrControl);
  EXPECT_EQ(1u, kept.fNull);
  EXPECT_EQ(2048, kept.XonLim);
  EXPECT_EQ(0x76, kept.EvtChar);

  ASSERT_TRUE(st::ApplyDcb(LinkRecord(), &tio));  // flow control off again: RTS back to enabled
  st::ReadDcb(tio, 19200, &kept);
  EXPECT_EQ(1u, kept.fRtsControl);
  EXPECT_EQ(0u, kept.fOutX);
}

TEST(SerialTermiosMapping, RecordsWin32RefusesChangeNothing) {
  void (*const changes[])(sys::Dcb&) = {
      [](sys::Dcb& d) { d.ByteSize = 9; },
      [](sys::Dcb& d) { d.StopBits = 1; },  // 1.5 stop bits need 5 data bits
      [](sys::Dcb& d) { d.XoffChar = d.XonChar; },
  };
  for (auto change : changes) {
    sys::Dcb dcb = LinkRecord();
    change(dcb);
    termios tio = RawTty(), before = tio;
    errno = 0;
    EXPECT_FALSE(st::ApplyDcb(dcb, &tio));
    EXPECT_EQ(EINVAL, errno);
    EXPECT_EQ(0, std::memcmp(&before, &tio, sizeof tio));
  }
}

}  // namespace
