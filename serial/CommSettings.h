#pragma once

#include <cstdint>

#include "serial/SerialEnums.h"
#include "serial/SerialPlatform.h"

namespace comm {

/// The properties of a serial component that its device-control record is
/// built from.
struct LineSettings {
  int32_t baudrate = 9600;  ///< bits per second, one of the accepted rates
  eParity parity = paNone;
  eDataBits dataBits = d7bit;
  eStopBits stopBits = st1bit;
  eFlowControl flowMode = fcNone;
  bool checkParity = true;
  uint16_t rxQueueSize = 1024;  ///< bytes; sets the XON/XOFF limits
};

/// The line the sensor board speaks and the window opens its ports with:
/// 115200 baud, 8 data bits, no parity, one stop bit, no handshake, no
/// parity check, a receive queue of 256 bytes. Every program of the family
/// opens the board with these settings, a baud rate given by the user aside.
LineSettings BoardLineSettings();

/// The transmit queue the window asks for; nothing is ever sent to the board.
constexpr uint16_t kBoardTxQueueSize = 10;

/// The device-control record for `settings`: binary mode; parity checking
/// when asked; the handshake of the flow mode (RTS/CTS, DTR/DSR or XON/XOFF,
/// else none); both XON/XOFF limits at a third of the receive queue, rounded
/// down; 7 or 8 data bits, the parity and the stop bits by their native codes;
/// XON 0x11, XOFF 0x13 and error character '?'. Every other member is 0.
Dcb BuildDcb(const LineSettings& settings);

/// The timeouts to apply next, given the ones applied before: reads return
/// at once with whatever has arrived. Under a flow mode other than fcNone the
/// writes time out after `timeoutMs` milliseconds in all; under fcNone the
/// write values of `previous` stay as they were.
CommTimeouts BuildTimeouts(const CommTimeouts& previous, eFlowControl flowMode, uint32_t timeoutMs);

}  // namespace comm
