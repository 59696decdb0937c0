#include "logging/LogWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "logging/LogFilePlatform.h"

namespace logbook {

LogWriter::LogWriter() : LogWriter(WriteFunction()) {}

LogWriter::LogWriter(WriteFunction write, Clock clock)
    : m_write(write ? std::move(write) : WriteFunction(WriteLogFile)),
      m_clock(clock ? std::move(clock) : Clock([] { return std::chrono::steady_clock::now(); })),
      m_buffer(kBufferSize) {}

LogWriter::~LogWriter() { Close(); }

bool LogWriter::Open(const std::string& path) {
  Close();
  m_error = 0;
  m_fileSize = 0;
  m_lineEnd = 0;
  m_lines = 0;
  const int fd = OpenLogFile(path, m_error);
  if (fd < 0) return false;
  m_fd = fd;
  m_used = 0;
  m_failed = false;
  return true;
}

bool LogWriter::Write(std::string_view text) {
  if (m_fd < 0 || m_failed) return false;
  if (text.size() > m_buffer.size() - m_used && !FlushBuffer()) return false;
  if (text.size() >= m_buffer.size()) return WriteAll(text.data(), text.size());
  if (m_used == 0 && !text.empty()) m_oldest = m_clock();
  std::memcpy(m_buffer.data() + m_used, text.data(), text.size());
  m_used += text.size();
  if (m_used > 0 && m_clock() - m_oldest >= kMaxLineAge) return FlushBuffer();
  return true;
}

bool LogWriter::Flush() {
  if (m_failed) return false;
  return m_fd < 0 || FlushBuffer();
}

std::optional<std::chrono::milliseconds> LogWriter::TimeToFlush() const {
  if (m_fd < 0 || m_used == 0) return std::nullopt;
  const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(m_clock() - m_oldest);
  return std::max(kMaxLineAge - waited, std::chrono::milliseconds(0));
}

bool LogWriter::Close() {
  if (m_fd < 0) return true;
  bool ok = !m_failed && FlushBuffer();
  if (!CloseLogFile(m_fd)) {
    ok = false;
    m_error = errno;
  }
  m_fd = -1;
  m_used = 0;
  m_failed = false;
  return ok;
}

bool LogWriter::FlushBuffer() {
  const size_t used = m_used;
  m_used = 0;
  return WriteAll(m_buffer.data(), used);
}

bool LogWriter::WriteAll(const char* data, size_t size) {
  while (size > 0) {
    const ssize_t written = m_write(m_fd, data, size);
    if (written < 0) {
      // Interrupted by a signal before anything was written: try again.
      if (errno == EINTR) continue;
      return Fail(errno);
    }
    // A regular file never accepts zero bytes of a non-empty write; treat
    // it as full rather than loop forever.
    if (written == 0) return Fail(ENOSPC);
    const auto count = std::min(static_cast<size_t>(written), size);
    CountWritten(data, count);
    data += count;
    size -= count;
  }
  return true;
}

void LogWriter::CountWritten(const char* data, size_t size) {
  const std::string_view chunk(data, size);
  const size_t lastEnd = chunk.rfind('\n');
  if (lastEnd != std::string_view::npos) {
    m_lines +=
        static_cast<uint64_t>(std::count(chunk.begin(), chunk.begin() + static_cast<ptrdiff_t>(lastEnd) + 1, '\n'));
    m_lineEnd = m_fileSize + lastEnd + 1;
  }
  m_fileSize += size;
}

bool LogWriter::Fail(int error) {
  m_failed = true;
  m_error = error;
  m_used = 0;
  // The part of a line that made it before the failure would read as a
  // line with wrong fields; the file ends at its last complete line instead.
  if (m_fileSize > m_lineEnd && TruncateLogFile(m_fd, m_lineEnd)) m_fileSize = m_lineEnd;
  return false;
}

}  // namespace logbook
