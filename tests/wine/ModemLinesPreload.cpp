// Preloaded into wine (LD_PRELOAD) for the Windows serial tests: gives the
// pseudo-terminal slaves the modem lines, counters and transmitter state that a
// UART driver reports, read from the file that DEZIDURE_MODEM_STATE names
// (written by dezidure-pty-feeder). A pseudo-terminal answers these requests
// with ENOTTY, which makes wine refuse or abandon every event wait that
// includes line events. Once the line has hung up they fail with EIO, as a
// vanished device's do. Every other request, and every other file, goes to
// the real ioctl.
#include <dlfcn.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {

using IoctlFunction = int (*)(int, unsigned long, ...);

// The output lines this library was asked to set, as TIOCM_* bits.
int g_outputLines = TIOCM_DTR | TIOCM_RTS;

struct LineState {
  int lines = 0;  // TIOCM_CTS, TIOCM_DSR, TIOCM_RNG, TIOCM_CAR
  int cts = 0, dsr = 0, rng = 0, dcd = 0, brk = 0;  // transition counters
};

IoctlFunction RealIoctl() {
  static const auto real = reinterpret_cast<IoctlFunction>(dlsym(RTLD_NEXT, "ioctl"));
  return real;
}

// Pseudo-terminal slaves have the major numbers 136 to 143.
bool IsPtySlave(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
  const unsigned major = ::major(st.st_rdev);
  return major >= 136 && major <= 143;
}

LineState ReadState() {
  LineState state;
  const char* path = std::getenv("DEZIDURE_MODEM_STATE");
  FILE* file = path != nullptr ? std::fopen(path, "r") : nullptr;
  if (file == nullptr) return state;
  if (std::fscanf(file, "%d %d %d %d %d %d", &state.lines, &state.cts, &state.dsr, &state.rng, &state.dcd,
                  &state.brk) != 6)
    state = LineState{};
  std::fclose(file);
  return state;
}

int Answer(int fd, unsigned long request, void* argument) {
  // A hung-up pseudo-terminal fails every request with EIO, as a vanished device does.
  int queued = 0;
  if (RealIoctl()(fd, FIONREAD, &queued) != 0) return -1;
  const LineState state = ReadState();
  switch (request) {
    case TIOCMGET:
      *static_cast<int*>(argument) = state.lines | g_outputLines;
      return 0;
    case TIOCMSET:
      g_outputLines = *static_cast<int*>(argument) & (TIOCM_DTR | TIOCM_RTS);
      return 0;
    case TIOCMBIS:
      g_outputLines |= *static_cast<int*>(argument) & (TIOCM_DTR | TIOCM_RTS);
      return 0;
    case TIOCMBIC:
      g_outputLines &= ~*static_cast<int*>(argument);
      return 0;
    case TIOCGICOUNT: {
      auto* counts = static_cast<serial_icounter_struct*>(argument);
      *counts = serial_icounter_struct{};
      counts->cts = state.cts;
      counts->dsr = state.dsr;
      counts->rng = state.rng;
      counts->dcd = state.dcd;
      counts->brk = state.brk;
      return 0;
    }
    default:  // TIOCSERGETLSR: nothing is ever sent, so the transmitter is empty.
      *static_cast<unsigned*>(argument) = TIOCSER_TEMT;
      return 0;
  }
}

}  // namespace

extern "C" int ioctl(int fd, unsigned long request, ...) {
  va_list arguments;
  va_start(arguments, request);
  void* argument = va_arg(arguments, void*);
  va_end(arguments);
  const bool modemRequest = request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS ||
                            request == TIOCMBIC || request == TIOCGICOUNT || request == TIOCSERGETLSR;
  if (modemRequest && IsPtySlave(fd)) return Answer(fd, request, argument);
  return RealIoctl()(fd, request, argument);
}
