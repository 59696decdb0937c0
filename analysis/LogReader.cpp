#include "analysis/LogReader.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

namespace analysis {

LogReader::LogReader(Source source) : m_source(std::move(source)) {}

bool LogReader::Open(const std::string& path, std::string& error) {
  // The path is UTF-8, which Windows takes only through a wide path.
  auto file = std::make_shared<std::ifstream>(std::filesystem::u8path(path), std::ios::binary);
  if (!*file) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  auto position = std::make_shared<uint64_t>(0);
  m_source = [file, position](char* into, size_t size) -> std::ptrdiff_t {
    // A stream at its end stays there until cleared, and the Windows C
    // runtime also keeps a file at its end until it is sought: both are
    // reset at every read, so bytes written since the last one are read.
    file->clear();
    if (!file->seekg(static_cast<std::streamoff>(*position))) return -1;
    file->read(into, static_cast<std::streamsize>(size));
    if (file->bad()) return -1;
    const auto got = static_cast<uint64_t>(file->gcount());
    *position += got;
    return static_cast<std::ptrdiff_t>(got);
  };
  return true;
}

std::optional<LogLine> LogReader::Next() {
  size_t begin = 0;
  size_t size = 0;
  while (NextWholeLine(begin, size)) {
    ++m_lines;
    // The line's own bytes without the LF; ParseLogLine drops a CR.
    if (auto frame = ParseLogLine(std::string_view(m_buffer.data() + begin, size - 1))) {
      return LogLine{*frame, m_bufferOffset + begin, std::string_view(m_buffer.data() + begin, size)};
    }
    CountSkipped();
  }
  return std::nullopt;
}

void LogReader::Finish() {
  if (m_finished) return;
  m_finished = true;
  if (!Waiting()) return;
  ++m_lines;
  CountSkipped();
  m_bufferOffset += m_end;
  m_begin = m_end = m_searched = 0;
  m_discarding = false;
}

void LogReader::CountSkipped() {
  ++m_skipped;
  if (m_firstSkipped == 0) m_firstSkipped = m_lines;
}

bool LogReader::NextWholeLine(size_t& begin, size_t& size) {
  if (m_finished) return false;
  while (true) {
    const char* from = m_buffer.data() + m_begin + m_searched;
    const auto* lf = static_cast<const char*>(std::memchr(from, '\n', m_end - m_begin - m_searched));
    if (lf) {
      begin = m_begin;
      size = static_cast<size_t>(lf - m_buffer.data()) + 1 - m_begin;
      m_begin += size;
      m_searched = 0;
      if (!m_discarding) return true;
      // The end of an overlong line: it was counted as one line, skipped.
      m_discarding = false;
      ++m_lines;
      CountSkipped();
      continue;
    }
    m_searched = m_end - m_begin;
    // A line longer than any log line (its CR aside) is not kept: the rest
    // of it is dropped as it comes, so memory stays bounded.
    if (m_searched > kMaxLogLineLength + 1) {
      m_discarding = true;
      m_bufferOffset += m_end;
      m_begin = m_end = m_searched = 0;
    }
    if (!Refill()) return false;
  }
}

bool LogReader::Refill() {
  if (!m_source || m_readError) return false;
  if (m_begin > 0) {
    std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
    m_bufferOffset += m_begin;
    m_end -= m_begin;
    m_begin = 0;
  }
  const std::ptrdiff_t got = m_source(m_buffer.data() + m_end, m_buffer.size() - m_end);
  if (got < 0) {
    m_readError = true;
    return false;
  }
  m_end += static_cast<size_t>(got);
  return got > 0;
}

}  // namespace analysis
