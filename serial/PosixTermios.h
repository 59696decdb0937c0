#pragma once

#include <termios.h>

#include <cstdint>
#include <optional>

#include "serial/SerialPlatform.h"

namespace comm {

// Terminal settings for a device-control record, without the line speed:
// raw (no echo, no line editing, no signals, no output processing), receiver
// on and modem-control lines ignored (CLOCAL | CREAD), 5 to 8 data bits,
// none/odd/even/mark/space parity (mark and space through CMSPAR), two stop
// bits when asked, CRTSCTS for RTS/CTS handshake, IXON/IXOFF with the
// record's XON and XOFF characters, and parity checking (INPCK) when asked.
// VMIN = 1 and VTIME = 0: on a descriptor opened with O_NONBLOCK, a read with
// nothing received fails with EAGAIN while a hung-up line reads 0 bytes, so
// the two stay distinguishable.
termios TermiosFromDcb(const Dcb& dcb);

// The termios speed constant for `rate` bits per second, or nothing when the
// rate has none (14400, 56000, 128000, 256000, ...) and must be set through
// the kernel's arbitrary-rate interface.
std::optional<speed_t> StandardSpeed(uint32_t rate);

// True when the record asks for DTR/DSR handshake, which termios cannot do.
bool WantsDtrDsrHandshake(const Dcb& dcb);

}  // namespace comm
