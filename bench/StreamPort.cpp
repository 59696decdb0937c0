#include "bench/StreamPort.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace bench {

namespace {

const std::string kDevice = "stream";

}  // namespace

StreamPort::StreamPort(std::string loop) : m_loop(std::move(loop)) {}

void StreamPort::Feed(const std::string& bytes) {
  std::lock_guard<std::mutex> lock(m_mutex);
  // Drop what has been read, so a long fuzz or test run keeps a small buffer.
  m_fed.erase(0, m_fedPos);
  m_fedPos = 0;
  m_fed += bytes;
}

size_t StreamPort::Queued() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_fed.size() - m_fedPos;
}

std::string StreamPort::DeviceName(uint8_t port) const { return port == 1 ? kDevice : std::string(); }

bool StreamPort::Open(const std::string& device) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (device != kDevice || m_open) {
    SetLastError(ENOENT);
    return false;
  }
  m_open = true;
  return true;
}

bool StreamPort::SetupComm(uint32_t, uint32_t) { return true; }
bool StreamPort::SetCommState(const comm::Dcb&) { return true; }
bool StreamPort::SetCommTimeouts(const comm::CommTimeouts&) { return true; }
bool StreamPort::EscapeCommFunction(comm::EscapeFunction) { return true; }
bool StreamPort::GetCommModemStatus(uint32_t& status) {
  status = 0;
  return true;
}
bool StreamPort::PurgeComm(uint32_t) { return true; }

bool StreamPort::SetCommMask(uint32_t) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_maskChanges;
  }
  m_changed.notify_all();
  return true;
}

bool StreamPort::WaitCommEvent(uint32_t& events) {
  events = 0;
  std::unique_lock<std::mutex> lock(m_mutex);
  const uint64_t changesAtStart = m_maskChanges;
  m_changed.wait(lock, [&] { return !m_open || m_maskChanges != changesAtStart; });
  return true;
}

bool StreamPort::ClearCommError(uint32_t& errors, comm::ComStat& status) {
  errors = 0;
  status = comm::ComStat{};
  status.cbInQue = static_cast<uint32_t>(m_loop.empty() ? Queued() : m_loop.size());
  return true;
}

bool StreamPort::Read(uint8_t* buffer, size_t capacity, size_t& count) {
  count = m_loop.empty() ? ReadFed(buffer, capacity) : ReadLoop(buffer, capacity);
  m_delivered += count;
  return true;
}

size_t StreamPort::ReadLoop(uint8_t* buffer, size_t capacity) {
  size_t copied = 0;
  while (copied < capacity) {
    const size_t piece = std::min(capacity - copied, m_loop.size() - m_loopPos);
    std::memcpy(buffer + copied, m_loop.data() + m_loopPos, piece);
    copied += piece;
    m_loopPos = (m_loopPos + piece) % m_loop.size();
  }
  return copied;
}

size_t StreamPort::ReadFed(uint8_t* buffer, size_t capacity) {
  std::lock_guard<std::mutex> lock(m_mutex);
  const size_t piece = std::min(capacity, m_fed.size() - m_fedPos);
  std::memcpy(buffer, m_fed.data() + m_fedPos, piece);
  m_fedPos += piece;
  return piece;
}

bool StreamPort::Close() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_open = false;
  }
  m_changed.notify_all();
  return true;
}

std::string StreamPort::ErrorText(int32_t code) const { return std::strerror(code); }

}  // namespace bench
