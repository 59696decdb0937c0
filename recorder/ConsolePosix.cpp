#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>

#include "recorder/Console.h"

namespace rec {

namespace {

std::atomic<int> g_signal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal is stored from a signal handler");

extern "C" void OnStopSignal(int signal) { g_signal.store(signal); }

}  // namespace

void InstallStopRequests() {
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    struct sigaction before {};
    // A signal ignored by whoever started the program (nohup ignores SIGHUP,
    // a shell SIGINT for background jobs) stays ignored.
    if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
  }
  std::signal(SIGPIPE, SIG_IGN);
}

std::string StopRequest() {
  switch (g_signal.load()) {
    case 0:
      return {};
    case SIGTERM:
      return "SIGTERM";
    case SIGINT:
      return "SIGINT";
    case SIGHUP:
      return "SIGHUP";
    default:
      return "signal " + std::to_string(g_signal.load());
  }
}

void SleepUnlessStopped(std::chrono::milliseconds span) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(span);
  timespec left{static_cast<time_t>(seconds.count()),
                static_cast<long>(std::chrono::nanoseconds(span - seconds).count())};
  // A signal cuts the sleep short: a stop ends it, any other sleeps the rest.
  while (g_signal.load() == 0 && nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

void RunOver() {}

int StderrTerminalColumns() {
  if (!isatty(STDERR_FILENO)) return 0;
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return 80;
  return size.ws_col;
}

}  // namespace rec
