#include "serial/PosixTermios.h"

namespace comm {
namespace {

struct RateSpeed {
  uint32_t rate;
  speed_t speed;
};

constexpr RateSpeed kStandardSpeeds[] = {
    {50, B50},     {75, B75},       {110, B110},     {134, B134},     {150, B150},       {200, B200},
    {300, B300},   {600, B600},     {1200, B1200},   {1800, B1800},   {2400, B2400},     {4800, B4800},
    {9600, B9600}, {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
};

tcflag_t CharacterSize(uint8_t byteSize) {
  switch (byteSize) {
    case 5:
      return CS5;
    case 6:
      return CS6;
    case 7:
      return CS7;
    default:
      return CS8;
  }
}

tcflag_t ParityFlags(uint8_t parity) {
  switch (parity) {
    case kOddParity:
      return PARENB | PARODD;
    case kEvenParity:
      return PARENB;
    case kMarkParity:
      return PARENB | CMSPAR | PARODD;
    case kSpaceParity:
      return PARENB | CMSPAR;
    default:
      return 0;
  }
}

}  // namespace

termios TermiosFromDcb(const Dcb& dcb) {
  termios t{};
  t.c_cflag = CLOCAL | CREAD | CharacterSize(dcb.ByteSize) | ParityFlags(dcb.Parity);
  if (dcb.StopBits == kTwoStopBits) t.c_cflag |= CSTOPB;
  if (dcb.Flags & (kDcbOutxCtsFlow | kDcbRtsControlHandshake)) t.c_cflag |= CRTSCTS;
  if (dcb.Flags & kDcbParity) t.c_iflag |= INPCK;
  if (dcb.Flags & kDcbOutX) t.c_iflag |= IXON;
  if (dcb.Flags & kDcbInX) t.c_iflag |= IXOFF;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  t.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
  t.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
  return t;
}

std::optional<speed_t> StandardSpeed(uint32_t rate) {
  for (const RateSpeed& entry : kStandardSpeeds)
    if (entry.rate == rate) return entry.speed;
  return std::nullopt;
}

bool WantsDtrDsrHandshake(const Dcb& dcb) { return (dcb.Flags & (kDcbOutxDsrFlow | kDcbDtrControlHandshake)) != 0; }

}  // namespace comm
