#pragma once

#include <poll.h>

#include <chrono>

// Stopping on SIGINT/SIGTERM without races: the signals stay blocked except
// inside the waits below (ppoll unblocks them atomically), so a signal either
// arrives before a wait and is seen by the check, or it ends the wait.
namespace sim {

class StopSignal {
 public:
  using Clock = std::chrono::steady_clock;

  // Installs the handlers of SIGINT and SIGTERM, blocks both outside the
  // waits, and ignores SIGPIPE so a vanished reader shows as a write error.
  static void Install();

  // Whether a stop was requested by a signal or by Request().
  static bool Requested();

  // Requests a stop (as a signal would); Reset() clears it.
  static void Request();
  static void Reset();

  // Sleeps until the monotonic deadline. Returns false if a stop was
  // requested before or during the sleep.
  static bool SleepUntil(Clock::time_point deadline);

  // poll() that a stop interrupts: returns poll's result, or -1 with errno
  // EINTR when a stop was requested. A negative timeout waits without limit.
  static int Poll(pollfd* fds, nfds_t count, std::chrono::milliseconds timeout);
};

}  // namespace sim
