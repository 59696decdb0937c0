#include <gtest/gtest.h>
#include <termios.h>

#include "serial/PosixTermios.h"
#include "serial/Serial5.h"

namespace {

using comm::Dcb;

Dcb Record(uint8_t byteSize, uint8_t parity, uint8_t stopBits, uint32_t flags = comm::kDcbBinary) {
  Dcb dcb;
  dcb.BaudRate = 115200;
  dcb.ByteSize = byteSize;
  dcb.Parity = parity;
  dcb.StopBits = stopBits;
  dcb.Flags = flags;
  dcb.XonChar = 0x11;
  dcb.XoffChar = 0x13;
  return dcb;
}

struct FormatCase {
  const char* name;
  Dcb dcb;
  tcflag_t cflag;  // expected bits among CSIZE, PARENB, PARODD, CMSPAR, CSTOPB, CRTSCTS
  tcflag_t iflag;  // expected bits among INPCK, IXON, IXOFF
};

TEST(PosixTermios, TranslatesCharacterFormatAndHandshake) {
  using namespace comm;
  const FormatCase cases[] = {
      {"8N1", Record(8, kNoParity, kOneStopBit), CS8, 0},
      {"7E2", Record(7, kEvenParity, kTwoStopBits), CS7 | PARENB | CSTOPB, 0},
      {"8O1", Record(8, kOddParity, kOneStopBit), CS8 | PARENB | PARODD, 0},
      {"8M1", Record(8, kMarkParity, kOneStopBit), CS8 | PARENB | PARODD | CMSPAR, 0},
      {"8S1", Record(8, kSpaceParity, kOneStopBit), CS8 | PARENB | CMSPAR, 0},
      {"parity checked", Record(8, kEvenParity, kOneStopBit, kDcbBinary | kDcbParity), CS8 | PARENB, INPCK},
      {"RTS/CTS", Record(8, kNoParity, kOneStopBit, 0x2005), CS8 | CRTSCTS, 0},
      {"XON/XOFF", Record(8, kNoParity, kOneStopBit, 0x0301), CS8, IXON | IXOFF},
      {"DTR/DSR has no termios form", Record(8, kNoParity, kOneStopBit, 0x0029), CS8, 0},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.name);
    const termios t = comm::TermiosFromDcb(c.dcb);
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS), c.cflag);
    EXPECT_EQ(t.c_iflag & (INPCK | IXON | IXOFF), c.iflag);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), tcflag_t{CLOCAL | CREAD});
    EXPECT_EQ(t.c_cflag & HUPCL, 0u);
  }
}

TEST(PosixTermios, IsRawWithReadsThatReturnAtOnce) {
  Dcb dcb = Record(8, comm::kNoParity, comm::kOneStopBit, 0x0301);
  dcb.XonChar = 0x21;
  dcb.XoffChar = 0x22;
  const termios t = comm::TermiosFromDcb(dcb);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ECHONL | ISIG | IEXTEN), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | BRKINT | PARMRK), 0u);
  EXPECT_EQ(t.c_cc[VMIN], 1);
  EXPECT_EQ(t.c_cc[VTIME], 0);
  EXPECT_EQ(t.c_cc[VSTART], 0x21);
  EXPECT_EQ(t.c_cc[VSTOP], 0x22);
}

TEST(PosixTermios, ListedRatesWithoutAConstantUseTheArbitraryRatePath) {
  for (int32_t rate : TSerial::BaudRates) {
    SCOPED_TRACE(rate);
    const bool arbitrary = rate == 14400 || rate == 56000 || rate == 128000 || rate == 256000;
    EXPECT_EQ(comm::StandardSpeed(static_cast<uint32_t>(rate)).has_value(), !arbitrary);
  }
  EXPECT_EQ(comm::StandardSpeed(115200), speed_t{B115200});
  EXPECT_EQ(comm::StandardSpeed(110), speed_t{B110});
  EXPECT_FALSE(comm::StandardSpeed(0).has_value()) << "0 would hang up the line";
}

}  // namespace
