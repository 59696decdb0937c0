#include <gtest/gtest.h>
#include <termios.h>

#include "serial/PosixTermios.h"

namespace {

using namespace comm;

Dcb Record(uint8_t byteSize, uint8_t parity, uint8_t stopBits, uint32_t flags = kDcbBinary) {
  Dcb dcb;
  dcb.BaudRate = 115200;
  dcb.ByteSize = byteSize;
  dcb.Parity = parity;
  dcb.StopBits = stopBits;
  dcb.Flags = flags;
  dcb.XonChar = 0x21;
  dcb.XoffChar = 0x22;
  return dcb;
}

TEST(PosixTermios, TranslatesCharacterFormatAndHandshakeIntoRawSettings) {
  const struct {
    const char* name;
    Dcb dcb;
    tcflag_t cflag;  // expected bits among CSIZE, PARENB, PARODD, CMSPAR, CSTOPB, CRTSCTS
    tcflag_t iflag;  // expected bits among INPCK, IXON, IXOFF
  } cases[] = {
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
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const termios t = TermiosFromDcb(c.dcb);
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS), c.cflag);
    EXPECT_EQ(t.c_iflag & (INPCK | IXON | IXOFF), c.iflag);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD | HUPCL), tcflag_t{CLOCAL | CREAD});
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ECHONL | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | BRKINT | PARMRK), 0u);
    EXPECT_EQ(t.c_cc[VMIN], 1) << "with O_NONBLOCK, 'nothing yet' and 'hung up' stay apart";
    EXPECT_EQ(t.c_cc[VTIME], 0);
    EXPECT_EQ(t.c_cc[VSTART], 0x21);
    EXPECT_EQ(t.c_cc[VSTOP], 0x22);
  }
}

}  // namespace
