#include "serial/PosixLineState.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

#include <cerrno>

#include "serial/SerialPlatform.h"

namespace comm {
namespace {

constexpr uint32_t kModemEvents = kEvCts | kEvDsr | kEvRlsd | kEvRing;

bool Unsupported(int error) { return error == ENOTTY || error == EINVAL || error == EOPNOTSUPP; }

uint32_t Count(int value) { return static_cast<uint32_t>(value); }

}  // namespace

uint32_t DiffLineEvents(const LineSnapshot& before, const LineSnapshot& after) {
  uint32_t events = 0;
  if (before.hasLines && after.hasLines) {
    if (before.cts != after.cts) events |= kEvCts;
    if (before.dsr != after.dsr) events |= kEvDsr;
    if (before.rlsd != after.rlsd) events |= kEvRlsd;
    if (!before.ring && after.ring) events |= kEvRing;
  }
  if (before.hasCounters && after.hasCounters) {
    if (before.ctsCount != after.ctsCount) events |= kEvCts;
    if (before.dsrCount != after.dsrCount) events |= kEvDsr;
    if (before.rlsdCount != after.rlsdCount) events |= kEvRlsd;
    if (before.ringCount != after.ringCount) events |= kEvRing;
    if (before.breakCount != after.breakCount) events |= kEvBreak;
  }
  if (before.hasOutQueue && after.hasOutQueue && before.outQueue > 0 && after.outQueue == 0) events |= kEvTxEmpty;
  return events;
}

bool LineEventsObservable(const LineSnapshot& last, uint32_t wanted) {
  if ((wanted & kModemEvents) && (last.hasLines || last.hasCounters)) return true;
  if ((wanted & kEvBreak) && last.hasCounters) return true;
  return (wanted & kEvTxEmpty) && last.hasOutQueue && last.outQueue > 0;
}

bool ReadLineSnapshot(const IoctlCall& ioctl, LineSnapshot& snapshot, int32_t& error) {
  snapshot = LineSnapshot{};
  int lines = 0;
  if (ioctl(TIOCMGET, &lines) == 0) {
    snapshot.hasLines = true;
    snapshot.cts = (lines & TIOCM_CTS) != 0;
    snapshot.dsr = (lines & TIOCM_DSR) != 0;
    snapshot.rlsd = (lines & TIOCM_CAR) != 0;
    snapshot.ring = (lines & TIOCM_RNG) != 0;
  } else if (!Unsupported(errno)) {
    error = errno;
    return false;
  }

  serial_icounter_struct counters{};
  if (ioctl(TIOCGICOUNT, &counters) == 0) {
    snapshot.hasCounters = true;
    snapshot.ctsCount = Count(counters.cts);
    snapshot.dsrCount = Count(counters.dsr);
    snapshot.rlsdCount = Count(counters.dcd);
    snapshot.ringCount = Count(counters.rng);
    snapshot.breakCount = Count(counters.brk);
  } else if (!Unsupported(errno)) {
    error = errno;
    return false;
  }

  int queued = 0;
  if (ioctl(TIOCOUTQ, &queued) == 0) {
    snapshot.hasOutQueue = true;
    snapshot.outQueue = queued > 0 ? static_cast<uint32_t>(queued) : 0;
  } else if (!Unsupported(errno)) {
    error = errno;
    return false;
  }
  return true;
}

uint32_t ModemStatusFromLines(int lines) {
  uint32_t status = 0;
  if (lines & TIOCM_CTS) status |= kMsCtsOn;
  if (lines & TIOCM_DSR) status |= kMsDsrOn;
  if (lines & TIOCM_RNG) status |= kMsRingOn;
  if (lines & TIOCM_CAR) status |= kMsRlsdOn;
  return status;
}

}  // namespace comm
