#include "tests/support/PtyPair.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>

namespace support {

PtyPair::PtyPair() { Open(); }

PtyPair::PtyPair(std::string link) : m_link(std::move(link)) { Open(); }

PtyPair::~PtyPair() { Unplug(); }

void PtyPair::Open() {
  termios raw{};
  cfmakeraw(&raw);
  if (openpty(&m_master, &m_slave, nullptr, &raw, nullptr) != 0) {
    m_master = m_slave = -1;
    return;
  }
  char name[128] = {};
  if (ptsname_r(m_master, name, sizeof name) != 0) return Unplug();
  m_slaveName = name;
  fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
  if (m_link.empty()) return;
  // A new link renamed over the old one: a reader never finds the path missing.
  const std::string fresh = m_link + ".new";
  std::remove(fresh.c_str());
  if (symlink(m_slaveName.c_str(), fresh.c_str()) != 0 || std::rename(fresh.c_str(), m_link.c_str()) != 0) Unplug();
}

size_t PtyPair::WriteSome(std::string_view bytes) {
  if (m_master < 0 || bytes.empty()) return 0;
  const ssize_t n = write(m_master, bytes.data(), bytes.size());
  return n > 0 ? static_cast<size_t>(n) : 0;
}

bool PtyPair::WriteAll(std::string_view bytes, std::chrono::milliseconds limit) {
  const auto awaitRoom = [this] {
    pollfd room{m_master, POLLOUT, 0};
    poll(&room, 1, 10);
  };
  return IsOpen() && WaitUntil([&] { return WriteMore(bytes); }, limit, awaitRoom);
}

bool PtyPair::Stream(std::string_view bytes, std::chrono::milliseconds limit) {
  return IsOpen() && RunEventsUntil([&] { return WriteMore(bytes); }, limit);
}

bool PtyPair::WriteMore(std::string_view& bytes) {
  bytes.remove_prefix(WriteSome(bytes));
  return bytes.empty();
}

void PtyPair::HangUp() {
  if (m_master >= 0) close(m_master);
  m_master = -1;
}

void PtyPair::Unplug() {
  HangUp();
  if (m_slave >= 0) close(m_slave);
  m_slave = -1;
  if (!m_link.empty()) std::remove(m_link.c_str());
}

bool PtyPair::Plug() {
  Unplug();
  Open();
  return IsOpen();
}

}  // namespace support
