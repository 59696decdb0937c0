#include <gtest/gtest.h>

#include "serial/CommSettings.h"

namespace {

using comm::LineSettings;

TEST(CommSettings, TheDeviceControlRecordFollowsEveryLineSetting) {
  const struct {
    const char* name;
    LineSettings settings;
    uint32_t flags;
    uint8_t byteSize, parity, stopBits;
    uint16_t limit;
  } cases[] = {
      {"defaults", {}, 0x0003, 7, 0, 0, 341},
      {"the window's port", {115200, paNone, d8bit, st1bit, fcNone, false, 256}, 0x0001, 8, 0, 0, 85},
      {"odd parity, two stop bits", {9600, PaOdd, d8bit, st2bit, fcNone, true, 10}, 0x0003, 8, 1, 2, 3},
      {"even", {9600, paEven, d7bit, st1bit, fcNone, false, 2}, 0x0001, 7, 2, 0, 0},
      {"mark", {9600, paMark, d7bit, st1bit, fcNone, false, 1024}, 0x0001, 7, 3, 0, 341},
      {"space", {9600, paSpace, d7bit, st1bit, fcNone, false, 1024}, 0x0001, 7, 4, 0, 341},
      {"RTS/CTS", {9600, paNone, d8bit, st1bit, fcRTS_CTS, false, 1024}, 0x2005, 8, 0, 0, 341},
      {"DTR/DSR with parity check", {9600, paNone, d8bit, st1bit, fcDTR_DSR, true, 1024}, 0x002B, 8, 0, 0, 341},
      {"XON/XOFF", {9600, paNone, d8bit, st1bit, fcXON_XOF, false, 65535}, 0x0301, 8, 0, 0, 21845},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const comm::Dcb dcb = comm::BuildDcb(c.settings);
    EXPECT_EQ(dcb.DCBlength, 28u);
    EXPECT_EQ(dcb.BaudRate, static_cast<uint32_t>(c.settings.baudrate));
    EXPECT_EQ(dcb.Flags, c.flags);
    EXPECT_EQ(dcb.ByteSize, c.byteSize);
    EXPECT_EQ(dcb.Parity, c.parity);
    EXPECT_EQ(dcb.StopBits, c.stopBits);
    EXPECT_EQ(dcb.XonLim, c.limit);
    EXPECT_EQ(dcb.XoffLim, c.limit);
    EXPECT_EQ(dcb.XonChar, 0x11);
    EXPECT_EQ(dcb.XoffChar, 0x13);
    EXPECT_EQ(dcb.ErrorChar, '?');
    EXPECT_EQ(dcb.EofChar + dcb.EvtChar + dcb.wReserved + dcb.wReserved1, 0);
  }
}

}  // namespace
