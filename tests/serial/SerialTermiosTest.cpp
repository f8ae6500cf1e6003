// How a Win32 line-settings record maps onto termios and back.
#include <errno.h>
#include <gtest/gtest.h>

#include <cstring>

#include "sys/posix/SerialTermios.h"

namespace {

namespace st = sys::serialtermios;

termios FreshTty() {
  // What a Linux tty starts with: cooked, echoing, XON/XOFF on.
  termios tio;
  std::memset(&tio, 0, sizeof tio);
  tio.c_iflag = ICRNL | IXON | IMAXBEL;
  tio.c_oflag = OPOST | ONLCR;
  tio.c_cflag = CS8 | CREAD | HUPCL;
  tio.c_lflag = ISIG | ICANON | ECHO | ECHOE | ECHOK | IEXTEN;
  tio.c_cc[VSTART] = 0x11;
  tio.c_cc[VSTOP] = 0x13;
  tio.c_cc[VMIN] = 1;
  cfsetispeed(&tio, B9600);
  cfsetospeed(&tio, B9600);
  return tio;
}

// The record the phone link writes: 8 data bits, no parity, one stop bit,
// the fixed characters, everything else as a driver reported it.
sys::Dcb LinkRecord() {
  sys::Dcb dcb;
  std::memset(&dcb, 0, sizeof dcb);
  dcb.DCBlength = 28;
  dcb.BaudRate = 57600;
  dcb.fBinary = 1;
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
  EXPECT_EQ("/dev/ttyS8", st::DevicePath("COM9"));
  EXPECT_EQ("/dev/ttyS3", st::DevicePath("com4"));
  // Anything else is a path of its own.
  EXPECT_EQ("COM0", st::DevicePath("COM0"));
  EXPECT_EQ("COM10", st::DevicePath("COM10"));
  EXPECT_EQ("/dev/ttyUSB0", st::DevicePath("/dev/ttyUSB0"));
  EXPECT_EQ("/dev/pts/7", st::DevicePath("/dev/pts/7"));
}

TEST(SerialRates, StandardRatesHaveTheirSpeedConstants) {
  EXPECT_EQ(static_cast<speed_t>(B19200), st::StandardSpeed(19200));
  EXPECT_EQ(static_cast<speed_t>(B115200), st::StandardSpeed(115200));
  EXPECT_EQ(static_cast<speed_t>(B300), st::StandardSpeed(300));
  EXPECT_EQ(static_cast<speed_t>(B0), st::StandardSpeed(250000));
  for (uint32_t baud : {300u, 1200u, 9600u, 19200u, 38400u, 57600u, 115200u}) {
    EXPECT_EQ(baud, st::SpeedRate(st::StandardSpeed(baud)));
  }
}

TEST(SerialRaw, OpenedLinePassesBytesUnchanged) {
  termios tio = FreshTty();
  tio.c_cflag |= CRTSCTS | CSTOPB;
  st::MakeRaw(&tio);
  EXPECT_EQ(0u, tio.c_iflag & (ICRNL | IXON | IXOFF | INLCR | IGNCR | ISTRIP));
  EXPECT_EQ(0u, tio.c_oflag & OPOST);
  EXPECT_EQ(0u, tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN));
  EXPECT_EQ(static_cast<tcflag_t>(CREAD | CLOCAL), tio.c_cflag & (CREAD | CLOCAL));
  EXPECT_EQ(0, tio.c_cc[VMIN]);
  EXPECT_EQ(0, tio.c_cc[VTIME]);
  // What the driver had for rate, format and hardware flow control stays.
  EXPECT_EQ(static_cast<speed_t>(B9600), cfgetospeed(&tio));
  EXPECT_EQ(static_cast<tcflag_t>(CS8 | CSTOPB | CRTSCTS), tio.c_cflag & (CSIZE | CSTOPB | CRTSCTS));
}

TEST(SerialTermiosMapping, CharacterFormatsRoundTrip) {
  struct Format {
    uint8_t byteSize, parity, stopBits;
    tcflag_t cflag;
  };
  const Format formats[] = {
      {8, 0, 0, CS8},
      {8, 2, 0, CS8 | PARENB},
      {7, 1, 0, CS7 | PARENB | PARODD},
      {8, 3, 2, CS8 | PARENB | PARODD | CMSPAR | CSTOPB},
      {6, 4, 0, CS6 | PARENB | CMSPAR},
      {5, 0, 1, CS5 | CSTOPB},
  };
  for (const Format& format : formats) {
    SCOPED_TRACE(testing::Message() << int(format.byteSize) << "/" << int(format.parity) << "/"
                                    << int(format.stopBits));
    sys::Dcb dcb = LinkRecord();
    dcb.ByteSize = format.byteSize;
    dcb.Parity = format.parity;
    dcb.StopBits = format.stopBits;
    termios tio = FreshTty();
    ASSERT_TRUE(st::ApplyDcb(dcb, &tio));
    EXPECT_EQ(format.cflag, tio.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB));

    sys::Dcb back = LinkRecord();
    st::ReadDcb(tio, 57600, &back);
    EXPECT_EQ(format.byteSize, back.ByteSize);
    EXPECT_EQ(format.parity, back.Parity);
    EXPECT_EQ(format.stopBits, back.StopBits);
  }
}

TEST(SerialTermiosMapping, FieldsTermiosLacksKeepWhatWasSet) {
  sys::Dcb kept = LinkRecord();
  kept.fDtrControl = 2;
  kept.fNull = 1;
  kept.fAbortOnError = 1;
  kept.fOutxDsrFlow = 1;
  kept.XonLim = 2048;
  kept.XoffLim = 512;
  termios tio = FreshTty();
  st::MakeRaw(&tio);
  cfsetospeed(&tio, B19200);
  st::ReadDcb(tio, 19200, &kept);

  EXPECT_EQ(28u, kept.DCBlength);
  EXPECT_EQ(19200u, kept.BaudRate);
  EXPECT_EQ(1u, kept.fBinary);
  EXPECT_EQ(2u, kept.fDtrControl);
  EXPECT_EQ(1u, kept.fNull);
  EXPECT_EQ(1u, kept.fAbortOnError);
  EXPECT_EQ(1u, kept.fOutxDsrFlow);
  EXPECT_EQ(2048, kept.XonLim);
  EXPECT_EQ(512, kept.XoffLim);
  EXPECT_EQ(0x72, kept.ErrorChar);
  EXPECT_EQ(0x76, kept.EvtChar);
  // Those termios does carry come from the driver.
  EXPECT_EQ(0x11, kept.XonChar);
  EXPECT_EQ(0x13, kept.XoffChar);
  EXPECT_EQ(0u, kept.fOutX);
}

TEST(SerialTermiosMapping, FlowControlBothWays) {
  sys::Dcb dcb = LinkRecord();
  dcb.fOutX = 1;
  dcb.fInX = 1;
  dcb.fParity = 1;
  dcb.fOutxCtsFlow = 1;
  termios tio = FreshTty();
  st::MakeRaw(&tio);
  ASSERT_TRUE(st::ApplyDcb(dcb, &tio));
  EXPECT_EQ(static_cast<tcflag_t>(IXON | IXOFF | INPCK), tio.c_iflag & (IXON | IXOFF | INPCK));
  EXPECT_TRUE(tio.c_cflag & CRTSCTS);
  EXPECT_EQ(0x6E, tio.c_cc[VSTART]);
  EXPECT_EQ(0x66, tio.c_cc[VSTOP]);

  sys::Dcb back = LinkRecord();
  st::ReadDcb(tio, 57600, &back);
  EXPECT_EQ(1u, back.fOutxCtsFlow);
  EXPECT_EQ(2u, back.fRtsControl);  // CRTSCTS drives RTS as well

  // Turning hardware flow control off again leaves RTS enabled, not handshaking.
  ASSERT_TRUE(st::ApplyDcb(LinkRecord(), &tio));
  EXPECT_FALSE(tio.c_cflag & CRTSCTS);
  EXPECT_EQ(0u, tio.c_iflag & (IXON | IXOFF | INPCK));
  st::ReadDcb(tio, 57600, &back);
  EXPECT_EQ(0u, back.fOutxCtsFlow);
  EXPECT_EQ(1u, back.fRtsControl);
}

TEST(SerialTermiosMapping, RecordsWin32RefusesAreRefusedAndChangeNothing) {
  auto with = [](void (*change)(sys::Dcb&)) {
    sys::Dcb dcb = LinkRecord();
    change(dcb);
    return dcb;
  };
  const sys::Dcb bad[] = {
      with([](sys::Dcb& d) { d.ByteSize = 4; }),
      with([](sys::Dcb& d) { d.ByteSize = 9; }),
      with([](sys::Dcb& d) { d.Parity = 5; }),
      with([](sys::Dcb& d) { d.StopBits = 3; }),
      with([](sys::Dcb& d) { d.StopBits = 1; }),                  // 1.5 with 8 data bits
      with([](sys::Dcb& d) { d.ByteSize = 5, d.StopBits = 2; }),  // 2 with 5 data bits
      with([](sys::Dcb& d) { d.XoffChar = d.XonChar; }),
  };
  for (const sys::Dcb& dcb : bad) {
    termios tio = FreshTty(), before = tio;
    errno = 0;
    EXPECT_FALSE(st::ApplyDcb(dcb, &tio));
    EXPECT_EQ(EINVAL, errno);
    EXPECT_EQ(0, std::memcmp(&before, &tio, sizeof tio));
  }
}

TEST(SerialTermiosMapping, DroppedFormatIsToleratedButNothingElse) {
  termios asked = FreshTty();
  st::MakeRaw(&asked);
  asked.c_cflag = (asked.c_cflag & ~static_cast<tcflag_t>(CSIZE)) | CS7 | PARENB | PARODD;

  termios applied = asked;  // what a pty keeps: 8 bits, no parity
  applied.c_cflag = (applied.c_cflag & ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD)) | CS8;
  EXPECT_TRUE(st::AppliedApartFromFormat(asked, applied));

  termios otherRate = applied;
  cfsetospeed(&otherRate, B57600);
  EXPECT_FALSE(st::AppliedApartFromFormat(asked, otherRate));
  termios noFlowControl = applied;
  asked.c_cflag |= CRTSCTS;
  EXPECT_FALSE(st::AppliedApartFromFormat(asked, noFlowControl));
  termios stillCooked = applied;
  stillCooked.c_lflag |= ICANON;
  EXPECT_FALSE(st::AppliedApartFromFormat(applied, stillCooked));
}

}  // namespace
