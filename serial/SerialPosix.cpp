#include "serial/SerialPosix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <system_error>

#include "serial/PosixArbitraryRate.h"
#include "serial/PosixDeviceHolders.h"
#include "serial/PosixOpenFailure.h"
#include "serial/PosixTermios.h"

namespace comm {
namespace {

// How often snapshots are compared while line events are wanted, and how
// often the queue is looked at while received bytes stay unread.
constexpr int kSampleMs = 20;

bool QueuedBytes(int fd, size_t& count) {
  int queued = 0;
  if (::ioctl(fd, FIONREAD, &queued) != 0) return false;
  count = queued > 0 ? static_cast<size_t>(queued) : 0;
  return true;
}

IoctlCall IoctlOn(int fd) {
  return [fd](unsigned long request, void* argument) { return ::ioctl(fd, request, argument); };
}

// Puts a freshly opened terminal into raw mode before anything else happens,
// so a byte arriving now is not echoed back or taken as a signal character.
void MakeRaw(int fd) {
  termios t{};
  if (::tcgetattr(fd, &t) != 0) return;
  ::cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cflag &= ~static_cast<tcflag_t>(HUPCL);
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  ::tcsetattr(fd, TCSANOW, &t);
}

// Opens `device` as a port is opened; the descriptor, or -1 with errno set.
int OpenDevice(const std::string& device) {
  if (device.empty()) {
    errno = ENOENT;
    return -1;
  }
  int fd = -1;
  do {
    fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    // A signal during the open of a slow device only interrupts it; try again.
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// 0 when `fd` is a terminal that nobody else has locked and it is now locked
// by `fd`, else the errno. Another holder's lock shows as EBUSY.
int32_t Lock(int fd) {
  if (!::isatty(fd)) return ENOTTY;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return errno == EWOULDBLOCK ? EBUSY : errno;
  return 0;
}

// 0 when `fd` is now this program's exclusive terminal, else the errno.
int32_t Claim(int fd) {
  if (const int32_t refused = Lock(fd); refused != 0) return refused;
  // Root ignores TIOCEXCL, hence the lock above; other programs may only
  // honour this one. A device without it is still usable.
  ::ioctl(fd, TIOCEXCL);
  MakeRaw(fd);
  return 0;
}

}  // namespace

class PosixSerialPlatform::Lease {
 public:
  explicit Lease(const PosixSerialPlatform& owner) : m_owner(owner) {
    std::lock_guard<std::mutex> lock(owner.m_mutex);
    if (owner.m_fd < 0 || owner.m_closing) return;
    m_fd = owner.m_fd;
    ++owner.m_users;
  }
  ~Lease() {
    if (m_fd < 0) return;
    {
      std::lock_guard<std::mutex> lock(m_owner.m_mutex);
      --m_owner.m_users;
    }
    m_owner.m_released.notify_all();
  }
  Lease(const Lease&) = delete;
  Lease& operator=(const Lease&) = delete;

  explicit operator bool() const { return m_fd >= 0; }
  int Fd() const { return m_fd; }

 private:
  const PosixSerialPlatform& m_owner;
  int m_fd = -1;
};

PosixSerialPlatform::PosixSerialPlatform(PortEnvironment environment) : m_numbering(std::move(environment)) {
  m_wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (m_wakeFd < 0) m_wakeError = errno;
}

PosixSerialPlatform::~PosixSerialPlatform() {
  bool open = false;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    open = m_fd >= 0;
  }
  if (open) Close();
  if (m_wakeFd >= 0) ::close(m_wakeFd);
}

bool PosixSerialPlatform::Fail(int32_t code) {
  SetLastError(code);
  return false;
}

std::string PosixSerialPlatform::DeviceName(uint8_t port) const { return m_numbering.DeviceFor(port); }

bool PosixSerialPlatform::Open(const std::string& device) {
  if (m_wakeFd < 0) return Fail(m_wakeError);
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_fd >= 0) return Fail(EBUSY);
  }
  const int fd = OpenDevice(device);
  if (fd < 0) return Fail(errno);
  if (const int32_t refused = Claim(fd); refused != 0) {
    ::close(fd);
    return Fail(refused);
  }

  DrainWake();
  m_mask = 0;
  m_consumed = 0;
  m_rxMark = 0;
  m_hasLinesBaseline = false;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_fd = fd;
  m_closing = false;
  return true;
}

bool PosixSerialPlatform::SetupComm(uint32_t, uint32_t) {
  Lease lease(*this);
  return lease ? true : Fail(EBADF);
}

bool PosixSerialPlatform::SetCommState(const Dcb& dcb) {
  Lease lease(*this);
  if (!lease) return Fail(EBADF);
  // Speed 0 would hang up the line rather than set a rate.
  if (dcb.BaudRate == 0) return Fail(EINVAL);
  const int fd = lease.Fd();
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_applied = dcb;
  }
  termios t = TermiosFromDcb(dcb);
  const std::optional<speed_t> speed = StandardSpeed(dcb.BaudRate);
  ::cfsetospeed(&t, speed.value_or(B38400));
  ::cfsetispeed(&t, speed.value_or(B38400));
  if (::tcsetattr(fd, TCSANOW, &t) != 0) return Fail(errno);
  if (!speed && !SetArbitraryRate(fd, dcb.BaudRate)) return Fail(errno);

  uint32_t outputRate = 0;
  uint32_t inputRate = 0;
  if (!ReadLineRate(fd, outputRate, inputRate)) return Fail(errno);
  if (outputRate != dcb.BaudRate || inputRate != dcb.BaudRate) return Fail(EINVAL);
  if (WantsDtrDsrHandshake(dcb)) return Fail(ENOTSUP);
  return true;
}

bool PosixSerialPlatform::GetCommState(Dcb& dcb) const {
  Lease lease(*this);
  if (!lease) return Fail(EBADF);
  uint32_t outputRate = 0;
  uint32_t inputRate = 0;
  if (!ReadLineRate(lease.Fd(), outputRate, inputRate)) return Fail(errno);
  std::lock_guard<std::mutex> lock(m_mutex);
  dcb = m_applied;
  dcb.BaudRate = outputRate;
  return true;
}

bool PosixSerialPlatform::SetCommTimeouts(const CommTimeouts& timeouts) {
  Lease lease(*this);
  if (!lease) return Fail(EBADF);
  // Reads here always return at once; other read timeouts cannot be honoured.
  // Nothing is ever written, so the write timeouts need no setting.
  const bool immediateReads = timeouts.ReadIntervalTimeout == kMaxDword && timeouts.ReadTotalTimeoutMultiplier == 0 &&
                              timeouts.ReadTotalTimeoutConstant == 0;
  return immediateReads ? true : Fail(ENOTSUP);
}

bool PosixSerialPlatform::EscapeCommFunction(EscapeFunction function) {
  Lease lease(*this);
  if (!lease) return Fail(EBADF);
  int line = TIOCM_DTR;
  unsigned long request = TIOCMBIS;
  switch (function) {
    case EscapeFunction::SetRts:
      line = TIOCM_RTS;
      break;
    case EscapeFunction::ClrRts:
      line = TIOCM_RTS;
      request = TIOCMBIC;
      break;
    case EscapeFunction::SetDtr:
      break;
    case EscapeFunction::ClrDtr:
      request = TIOCMBIC;
      break;
    default:
      return Fail(EINVAL);
  }
  return ::ioctl(lease.Fd(), request, &line) == 0 ? true : Fail(errno);
}

bool PosixSerialPlatform::SetCommMask(uint32_t mask) {
  Lease lease(*this);
  if (!lease) return Fail(EBADF);
  m_mask = mask;
  ++m_maskChanges;
  Wake();
  return true;
}

bool PosixSerialPlatform::WaitCommEvent(uint32_t& events) {
  events = 0;
  Lease lease(*this);
  if (!lease) return Fail(EBADF);
  const int fd = lease.Fd();
  const uint64_t changesAtStart = m_maskChanges;
  for (;;) {
    if (m_closing || m_maskChanges != changesAtStart) return true;
    const uint32_t mask = m_mask;
    uint32_t found = 0;
    bool bytesUnread = false;
    if (mask != 0 && !Sample(fd, mask, changesAtStart, found, bytesUnread)) return false;
    if (found != 0) {
      events = found;
      return true;
    }
    // Unread bytes keep the port readable: watching for that would spin,
    // so then only hang-ups are watched and the queue is sampled instead.
    const bool watchData = (mask & kEvRxChar) && !bytesUnread;
    const bool sample = ((mask & kEvRxChar) && bytesUnread) || LineEventsObservable(m_lines, mask);
    pollfd fds[2] = {{fd, static_cast<short>(watchData ? POLLIN : 0), 0}, {m_wakeFd, POLLIN, 0}};
    if (::poll(fds, 2, sample ? kSampleMs : -1) < 0) {
      // A signal only cuts the wait short.
      if (errno == EINTR) continue;
      return Fail(errno);
    }
    if (fds[1].revents & POLLIN) DrainWake();
    if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) return Fail(EIO);
  }
}

bool PosixSerialPlatform::Sample(int fd, uint32_t mask, uint64_t maskChanges, uint32_t& events, bool& bytesUnread) {
  // Taken before the queue count: a read in between then makes the count
  // look short, which costs a spare event later rather than a lost one.
  const uint64_t consumed = m_consumed;
  size_t queued = 0;
  if (!QueuedBytes(fd, queued)) return Fail(errno);
  const uint64_t arrived = consumed + queued;
  if ((mask & kEvRxChar) && arrived > m_rxMark) events |= kEvRxChar;
  m_rxMark = arrived;
  bytesUnread = queued > 0;

  LineSnapshot now;
  int32_t error = 0;
  if (!ReadLineSnapshot(IoctlOn(fd), now, error)) return Fail(error);
  if (m_hasLinesBaseline && m_linesBaseline == maskChanges) events |= DiffLineEvents(m_lines, now) & mask;
  m_lines = now;
  m_linesBaseline = maskChanges;
  m_hasLinesBaseline = true;
  return true;
}

bool PosixSerialPlatform::GetCommModemStatus(uint32_t& status) {
  Lease lease(*this);
  if (!lease) return Fail(EBADF);
  int lines = 0;
  if (::ioctl(lease.Fd(), TIOCMGET, &lines) != 0) return Fail(errno);
  status = ModemStatusFromLines(lines);
  return true;
}

bool PosixSerialPlatform::PurgeComm(uint32_t flags) {
  Lease lease(*this);
  if (!lease) return Fail(EBADF);
  const int fd = lease.Fd();
  // Reads and writes never stay pending here, so the abort flags have
  // nothing to abort; only the clear flags discard data.
  if ((flags & kPurgeTxClear) && ::tcflush(fd, TCOFLUSH) != 0) return Fail(errno);
  if (flags & kPurgeRxClear) {
    size_t queued = 0;
    if (!QueuedBytes(fd, queued)) return Fail(errno);
    if (::tcflush(fd, TCIFLUSH) != 0) return Fail(errno);
    m_consumed += queued;
  }
  return true;
}

bool PosixSerialPlatform::ClearCommError(uint32_t& errors, ComStat& status) {
  Lease lease(*this);
  if (!lease) return Fail(EBADF);
  errors = 0;
  size_t queued = 0;
  if (!QueuedBytes(lease.Fd(), queued)) return Fail(errno);
  int outQueue = 0;
  if (::ioctl(lease.Fd(), TIOCOUTQ, &outQueue) != 0) outQueue = 0;
  status.Flags = 0;
  status.cbInQue = static_cast<uint32_t>(std::min<size_t>(queued, std::numeric_limits<uint32_t>::max()));
  status.cbOutQue = outQueue > 0 ? static_cast<uint32_t>(outQueue) : 0;
  return true;
}

bool PosixSerialPlatform::Read(uint8_t* buffer, size_t capacity, size_t& count) {
  count = 0;
  Lease lease(*this);
  if (!lease) return Fail(EBADF);
  if (capacity == 0) return true;
  ssize_t got = 0;
  do {
    got = ::read(lease.Fd(), buffer, capacity);
    // A signal before any byte arrived only interrupts the call; try again.
  } while (got < 0 && errno == EINTR);
  if (got > 0) {
    count = static_cast<size_t>(got);
    m_consumed += count;
    return true;
  }
  // With VMIN = 1 a read of 0 bytes means the line has hung up.
  if (got == 0) return Fail(EIO);
  // Nothing received yet: the read returns at once with no bytes.
  if (errno == EAGAIN || errno == EWOULDBLOCK) return true;
  return Fail(errno);
}

bool PosixSerialPlatform::Close() {
  int fd = -1;
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_fd < 0) return Fail(EBADF);
    m_closing = true;
    Wake();
    m_released.wait(lock, [this] { return m_users == 0; });
    fd = m_fd;
    m_fd = -1;
  }
  ::ioctl(fd, TIOCNXCL);
  ::flock(fd, LOCK_UN);
  // Linux releases the descriptor even when close reports EINTR.
  if (::close(fd) != 0 && errno != EINTR) return Fail(errno);
  return true;
}

std::string PosixSerialPlatform::ErrorText(int32_t code) const { return std::system_category().message(code); }

bool PosixSerialPlatform::Available(const std::string& device) const {
  struct stat file {};
  if (device.empty() || ::stat(device.c_str(), &file) != 0) return Fail(device.empty() ? ENOENT : errno);
  if (!S_ISCHR(file.st_mode)) return Fail(ENOTTY);
  if (::faccessat(AT_FDCWD, device.c_str(), R_OK | W_OK, AT_EACCESS) != 0) return Fail(errno);
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    struct stat open {};
    if (m_fd >= 0 && ::fstat(m_fd, &open) == 0 && open.st_rdev == file.st_rdev) return Fail(EBUSY);
  }
  return OtherHolders(device).empty() ? true : Fail(EBUSY);
}

std::string PosixSerialPlatform::OpenFailureText(const std::string& device, int32_t code) const {
  DeviceFacts facts = InspectDevice(device);
  if (code == EBUSY) facts.holders = OtherHolders(device);
  return OpenFailureReason(code, facts);
}

std::vector<DeviceHolder> PosixSerialPlatform::OtherHolders(const std::string& device) const {
  return ProcessesHolding(device, ::getpid());
}

bool PosixSerialPlatform::DeviceLost(int32_t code) const { return code == EIO || code == ENXIO || code == ENODEV; }

void PosixSerialPlatform::Wake() {
  const uint64_t one = 1;
  // Fails only when the counter is already at its maximum, so still set.
  const ssize_t written = ::write(m_wakeFd, &one, sizeof one);
  static_cast<void>(written);
}

void PosixSerialPlatform::DrainWake() {
  uint64_t value = 0;
  // Nothing to drain is fine: the descriptor is non-blocking.
  const ssize_t got = ::read(m_wakeFd, &value, sizeof value);
  static_cast<void>(got);
}

std::unique_ptr<SerialPlatform> MakeSystemSerialPlatform() { return std::make_unique<PosixSerialPlatform>(); }

}  // namespace comm
