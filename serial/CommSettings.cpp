#include "serial/CommSettings.h"

namespace comm {
namespace {

constexpr uint8_t kXonChar = 0x11;
constexpr uint8_t kXoffChar = 0x13;
constexpr uint8_t kErrorChar = 0x3F;

uint8_t ParityCode(eParity parity) {
  switch (parity) {
    case PaOdd:
      return kOddParity;
    case paEven:
      return kEvenParity;
    case paMark:
      return kMarkParity;
    case paSpace:
      return kSpaceParity;
    default:
      return kNoParity;
  }
}

uint32_t HandshakeFlags(eFlowControl mode) {
  switch (mode) {
    case fcRTS_CTS:
      return kDcbOutxCtsFlow | kDcbRtsControlHandshake;
    case fcDTR_DSR:
      return kDcbOutxDsrFlow | kDcbDtrControlHandshake;
    case fcXON_XOF:
      return kDcbOutX | kDcbInX;
    default:
      return 0;
  }
}

}  // namespace

LineSettings BoardLineSettings() {
  LineSettings settings;
  settings.baudrate = 115200;
  settings.parity = paNone;
  settings.dataBits = d8bit;
  settings.stopBits = st1bit;
  settings.flowMode = fcNone;
  settings.checkParity = false;
  settings.rxQueueSize = 256;
  return settings;
}

Dcb BuildDcb(const LineSettings& settings) {
  Dcb dcb;
  dcb.BaudRate = static_cast<uint32_t>(settings.baudrate);
  dcb.Flags = kDcbBinary | (settings.checkParity ? kDcbParity : 0) | HandshakeFlags(settings.flowMode);
  dcb.XonLim = static_cast<uint16_t>(settings.rxQueueSize / 3);
  dcb.XoffLim = dcb.XonLim;
  dcb.ByteSize = settings.dataBits == d8bit ? 8 : 7;
  dcb.Parity = ParityCode(settings.parity);
  dcb.StopBits = settings.stopBits == st2bit ? kTwoStopBits : kOneStopBit;
  dcb.XonChar = kXonChar;
  dcb.XoffChar = kXoffChar;
  dcb.ErrorChar = kErrorChar;
  return dcb;
}

CommTimeouts BuildTimeouts(const CommTimeouts& previous, eFlowControl flowMode, uint32_t timeoutMs) {
  CommTimeouts timeouts = previous;
  timeouts.ReadIntervalTimeout = kMaxDword;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = 0;
  if (flowMode != fcNone) {
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = timeoutMs;
  }
  return timeouts;
}

}  // namespace comm
