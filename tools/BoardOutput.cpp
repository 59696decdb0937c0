#include "tools/BoardOutput.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "tools/StopSignal.h"

namespace sim {

namespace {

constexpr std::chrono::milliseconds kFullWait{100};
constexpr std::chrono::milliseconds kDrainPoll{10};
constexpr std::chrono::milliseconds kBlindDrain{200};

std::string Describe(const std::string& what, int error) { return what + ": " + std::strerror(error); }

bool MakeRaw(int fd, bool setSpeed) {
  termios settings{};
  if (tcgetattr(fd, &settings) != 0) {
    return false;
  }
  cfmakeraw(&settings);
  settings.c_cflag |= CLOCAL | CREAD;
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 0;
  if (setSpeed) {
    cfsetispeed(&settings, B115200);
    cfsetospeed(&settings, B115200);
  }
  return tcsetattr(fd, TCSANOW, &settings) == 0;
}

}  // namespace

BoardOutput::BoardOutput(int fd, std::string path, bool pty) : m_fd(fd), m_path(std::move(path)), m_pty(pty) {}

BoardOutput::~BoardOutput() { close(m_fd); }

std::unique_ptr<BoardOutput> BoardOutput::OpenPty(std::string& error) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master < 0) {
    error = Describe("cannot open a pseudo-terminal", errno);
    return nullptr;
  }
  const char* name = (grantpt(master) == 0 && unlockpt(master) == 0) ? ptsname(master) : nullptr;
  if (name == nullptr) {
    error = Describe("cannot unlock the pseudo-terminal", errno);
    close(master);
    return nullptr;
  }
  std::string path = name;
  // The slave keeps its settings while the master is open, so a reader
  // that does not set raw mode itself still gets every byte unchanged.
  // Closing it again also makes the master report a hang-up until a
  // reader opens it, which is how HasReader tells.
  const int slave = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave < 0 || !MakeRaw(slave, false)) {
    error = Describe("cannot set the pseudo-terminal raw", errno);
    if (slave >= 0) {
      close(slave);
    }
    close(master);
    return nullptr;
  }
  close(slave);
  return std::unique_ptr<BoardOutput>(new BoardOutput(master, std::move(path), true));
}

std::unique_ptr<BoardOutput> BoardOutput::OpenDevice(const std::string& path, std::string& error) {
  const int fd = open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = Describe("cannot open " + path, errno);
    return nullptr;
  }
  if (isatty(fd) && !MakeRaw(fd, true)) {
    error = Describe("cannot set " + path + " raw", errno);
    close(fd);
    return nullptr;
  }
  return std::unique_ptr<BoardOutput>(new BoardOutput(fd, path, false));
}

bool BoardOutput::HasReader() {
  if (!m_pty) {
    return true;
  }
  pollfd p{m_fd, 0, 0};
  const bool reader = poll(&p, 1, 0) >= 0 && (p.revents & POLLHUP) == 0;
  if (m_hadReader && !reader) {
    DiscardUnread();
  }
  m_hadReader = reader;
  return reader;
}

WriteStatus BoardOutput::Write(std::string_view bytes) {
  m_lastWritten = 0;
  while (m_lastWritten < bytes.size()) {
    const ssize_t n = write(m_fd, bytes.data() + m_lastWritten, bytes.size() - m_lastWritten);
    if (n > 0) {
      m_lastWritten += static_cast<size_t>(n);
      continue;
    }
    // Interrupted before anything was written: try again.
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0 && errno != EAGAIN) {
      m_error = errno;
      return m_pty && errno == EIO ? WriteStatus::NoReader : WriteStatus::Failed;
    }
    // Full (EAGAIN, or a zero-byte write): wait until the reader takes some.
    pollfd p{m_fd, POLLOUT, 0};
    const int ready = StopSignal::Poll(&p, 1, kFullWait);
    if (ready < 0 && errno == EINTR) {
      return WriteStatus::Stopped;
    }
    if (ready < 0) {
      m_error = errno;
      return WriteStatus::Failed;
    }
    if (p.revents & POLLHUP) {
      if (m_pty) {
        HasReader();
        return WriteStatus::NoReader;
      }
      m_error = EPIPE;
      return WriteStatus::Failed;
    }
    if (p.revents & (POLLERR | POLLNVAL)) {
      m_error = EIO;
      return WriteStatus::Failed;
    }
  }
  return WriteStatus::Written;
}

bool BoardOutput::WaitUntilRead(std::chrono::milliseconds limit) {
  if (!m_pty) {
    return true;
  }
  const auto deadline = StopSignal::Clock::now() + limit;
  // Bytes just written may still be on their way into the reader's queue, so
  // an empty queue counts only when it is still empty one poll later.
  bool emptyBefore = false;
  while (HasReader()) {
    const int unread = Unread();
    if (unread == 0 && emptyBefore) {
      return true;
    }
    emptyBefore = unread == 0;
    // A reader holding the port exclusively hides its queue: give it a
    // moment to catch up instead.
    if (unread < 0) {
      StopSignal::SleepUntil(std::min(deadline, StopSignal::Clock::now() + kBlindDrain));
      return false;
    }
    const auto now = StopSignal::Clock::now();
    if (now >= deadline || !StopSignal::SleepUntil(std::min(deadline, now + kDrainPoll))) {
      return false;
    }
  }
  return false;
}

void BoardOutput::DiscardUnread() {
  // Bytes the departed reader left unread would reach the next one stale.
  // They sit in two places: the master's flush clears those still in
  // transit, the slave's flush those already in its input queue.
  tcflush(m_fd, TCOFLUSH);
  const int slave = open(m_path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave >= 0) {
    tcflush(slave, TCIFLUSH);
    close(slave);
  }
}

int BoardOutput::Unread() const {
  // The master cannot see the slave's input queue; a second descriptor of
  // the slave can. Closing it is harmless while the reader keeps its own.
  const int slave = open(m_path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave < 0) {
    return -1;
  }
  int queued = 0;
  if (ioctl(slave, FIONREAD, &queued) != 0) {
    queued = -1;
  }
  close(slave);
  return queued;
}

}  // namespace sim
