#pragma once

#include <cstdint>
#include <functional>

namespace comm {

// One reading of a port's input lines, its line-event counters and its
// output queue. Parts the device cannot report are marked absent.
struct LineSnapshot {
  bool hasLines = false;  // current levels of CTS, DSR, RLSD and RI
  bool cts = false;
  bool dsr = false;
  bool rlsd = false;
  bool ring = false;
  bool hasCounters = false;  // transitions counted by the driver since it opened
  uint32_t ctsCount = 0;
  uint32_t dsrCount = 0;
  uint32_t rlsdCount = 0;
  uint32_t ringCount = 0;
  uint32_t breakCount = 0;
  bool hasOutQueue = false;
  uint32_t outQueue = 0;
};

// The kEv* events that happened between two snapshots of one port. A line
// event when the line's level differs or its counter moved (a pulse shorter
// than the time between the snapshots moves only the counter); a ring when RI
// rose or its counter moved; a break when the break counter moved; a
// transmit-empty when the output queue drained to 0. A part absent from
// either snapshot yields no event.
uint32_t DiffLineEvents(const LineSnapshot& before, const LineSnapshot& after);

// True when one of the `wanted` kEv* line events could show up in the next
// snapshot of a port last seen as `last`, so it is worth sampling again.
bool LineEventsObservable(const LineSnapshot& last, uint32_t wanted);

// A device-control request as ioctl(2) makes it: 0, or -1 with errno set.
using IoctlCall = std::function<int(unsigned long request, void* argument)>;

// Takes a snapshot through `ioctl` (TIOCMGET, TIOCGICOUNT, TIOCOUTQ). A
// request the device does not support (ENOTTY or EINVAL, as a
// pseudo-terminal answers for modem lines) leaves its part absent; any other
// failure returns false with the errno in `error`.
bool ReadLineSnapshot(const IoctlCall& ioctl, LineSnapshot& snapshot, int32_t& error);

// kMs* modem status bits for a TIOCM_* line word.
uint32_t ModemStatusFromLines(int lines);

}  // namespace comm
