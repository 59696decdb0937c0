#include "tools/StopSignal.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>

namespace sim {

namespace {

std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the stop flag is set from a signal handler");

// The mask in force inside waits: the caller's mask before Install().
sigset_t g_waitMask;
bool g_installed = false;

extern "C" void OnStopSignal(int) { g_stop.store(true); }

timespec ToTimespec(std::chrono::nanoseconds span) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(span);
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(seconds.count());
  ts.tv_nsec = static_cast<long>((span - seconds).count());
  return ts;
}

int Wait(pollfd* fds, nfds_t count, const timespec* timeout) {
  return ppoll(fds, count, timeout, g_installed ? &g_waitMask : nullptr);
}

}  // namespace

void StopSignal::Install() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  sigset_t block;
  sigemptyset(&block);
  sigaddset(&block, SIGINT);
  sigaddset(&block, SIGTERM);
  sigprocmask(SIG_BLOCK, &block, &g_waitMask);
  sigdelset(&g_waitMask, SIGINT);
  sigdelset(&g_waitMask, SIGTERM);
  g_installed = true;
}

bool StopSignal::Requested() { return g_stop.load(); }

void StopSignal::Request() { g_stop.store(true); }

void StopSignal::Reset() { g_stop.store(false); }

bool StopSignal::SleepUntil(Clock::time_point deadline) {
  while (!Requested()) {
    const auto now = Clock::now();
    if (now >= deadline) {
      return true;
    }
    const timespec timeout = ToTimespec(deadline - now);
    // EINTR is either the stop (seen by the loop check) or another
    // signal, after which the remaining time is slept again.
    Wait(nullptr, 0, &timeout);
  }
  return false;
}

int StopSignal::Poll(pollfd* fds, nfds_t count, std::chrono::milliseconds timeout) {
  if (Requested()) {
    errno = EINTR;
    return -1;
  }
  if (timeout.count() < 0) {
    return Wait(fds, count, nullptr);
  }
  const timespec ts = ToTimespec(timeout);
  const int result = Wait(fds, count, &ts);
  if (result < 0 && errno == EINTR && !Requested()) {
    // Some other signal: report "nothing yet", the caller waits again.
    return 0;
  }
  return result;
}

}  // namespace sim
