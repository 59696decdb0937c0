#include "serial/PosixArbitraryRate.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace comm {

bool SetArbitraryRate(int fd, uint32_t rate) {
  termios2 t{};
  if (::ioctl(fd, TCGETS2, &t) != 0) return false;
  t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
  t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  t.c_ospeed = rate;
  t.c_ispeed = rate;
  int result = 0;
  do {
    result = ::ioctl(fd, TCSETS2, &t);
    // A signal may interrupt the change; it has then not been made.
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

bool ReadLineRate(int fd, uint32_t& outputRate, uint32_t& inputRate) {
  termios2 t{};
  if (::ioctl(fd, TCGETS2, &t) != 0) return false;
  outputRate = t.c_ospeed;
  inputRate = t.c_ispeed;
  return true;
}

}  // namespace comm
