#include "logging/LogWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace logbook {

namespace {

ssize_t SystemWrite(int fd, const void* data, size_t size) { return ::write(fd, data, size); }

}  // namespace

LogWriter::LogWriter() : LogWriter(WriteFunction()) {}

LogWriter::LogWriter(WriteFunction write)
    : m_write(write ? std::move(write) : WriteFunction(SystemWrite)), m_buffer(kBufferSize) {}

LogWriter::~LogWriter() { Close(); }

bool LogWriter::Open(const std::string& path) {
  Close();
  m_error = 0;
  // 0666 and the umask give the usual permissions of a new text file.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    m_error = errno;
    return false;
  }
  m_fd = fd;
  m_used = 0;
  m_failed = false;
  return true;
}

bool LogWriter::Write(std::string_view text) {
  if (m_fd < 0 || m_failed) {
    return false;
  }
  while (!text.empty()) {
    if (m_used == m_buffer.size() && !Flush()) {
      return false;
    }
    // A piece larger than the buffer goes out directly once the buffer is empty.
    if (m_used == 0 && text.size() >= m_buffer.size()) {
      return WriteAll(text.data(), text.size());
    }
    const size_t take = std::min(text.size(), m_buffer.size() - m_used);
    std::memcpy(m_buffer.data() + m_used, text.data(), take);
    m_used += take;
    text.remove_prefix(take);
  }
  return true;
}

bool LogWriter::Close() {
  if (m_fd < 0) {
    return true;
  }
  bool ok = !m_failed && Flush();
  // No retry of close on EINTR: on Linux the descriptor is released anyway.
  if (::close(m_fd) != 0) {
    ok = false;
    m_error = errno;
  }
  m_fd = -1;
  m_used = 0;
  m_failed = false;
  return ok;
}

bool LogWriter::Flush() {
  const size_t used = m_used;
  m_used = 0;
  return WriteAll(m_buffer.data(), used);
}

bool LogWriter::WriteAll(const char* data, size_t size) {
  while (size > 0) {
    const ssize_t written = m_write(m_fd, data, size);
    if (written < 0) {
      // Interrupted by a signal before anything was written: try again.
      if (errno == EINTR) {
        continue;
      }
      return Fail(errno);
    }
    // A regular file never accepts zero bytes of a non-empty write; treat
    // it as full rather than loop forever.
    if (written == 0) {
      return Fail(ENOSPC);
    }
    const auto count = std::min(static_cast<size_t>(written), size);
    data += count;
    size -= count;
  }
  return true;
}

bool LogWriter::Fail(int error) {
  m_failed = true;
  m_error = error;
  return false;
}

}  // namespace logbook
