#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/LogLine.h"

namespace analysis {

/// A well-formed log line: its frame and where its bytes lie in the log.
struct LogLine {
  LogFrame frame;
  /// Byte offset of the line's first byte in the log.
  uint64_t offset = 0;
  /// The line's bytes, its LF included; valid until the reader's next call.
  std::string_view text;
};

/// Reads a log line after line, incrementally: each call reads what the log
/// holds now, so a log that is still being written is followed by calling
/// Next again later. A last line without its LF waits until it is whole.
/// Malformed and overlong lines are skipped and counted.
class LogReader {
 public:
  /// Where the bytes come from: fills up to `size` bytes at `into` and
  /// returns how many (0: nothing more for now), or -1 on a read error.
  using Source = std::function<std::ptrdiff_t(char* into, size_t size)>;

  /// A reader with no bytes until Open.
  LogReader() = default;
  /// A reader of the given source.
  explicit LogReader(Source source);

  /// Reads the file at `path` (UTF-8; bytes appended later are read too);
  /// false with the reason in error.
  bool Open(const std::string& path, std::string& error);

  /// The next well-formed whole line available now; nothing when no whole
  /// line is left for now, after Finish, or after a read error. The frame's
  /// time text stays valid until the next call.
  std::optional<LogLine> Next();

  /// Ends the reading: a last line still without its LF counts as a skipped line.
  void Finish();

  /// Lines read so far, well-formed or not.
  uint64_t Lines() const { return m_lines; }
  /// Lines skipped so far, and the 1-based number of the first (0: none).
  uint64_t Skipped() const { return m_skipped; }
  uint64_t FirstSkippedLine() const { return m_firstSkipped; }
  /// True when reading stopped on an error of the source rather than its end.
  bool ReadError() const { return m_readError; }
  /// Bytes consumed as whole lines (the offset where the next line starts).
  uint64_t Consumed() const { return m_bufferOffset + m_begin; }
  /// True when bytes of an unfinished line are waiting for their LF.
  bool Waiting() const { return m_discarding || m_end > m_begin; }

 private:
  /// The next whole line into `begin`/`size`; false when none is available now.
  bool NextWholeLine(size_t& begin, size_t& size);
  /// Moves the unconsumed bytes to the front and reads more; false when nothing came.
  bool Refill();
  void CountSkipped();

  Source m_source;
  std::vector<char> m_buffer = std::vector<char>(256 * 1024);
  size_t m_begin = 0;
  size_t m_end = 0;
  /// Bytes of the buffer's unconsumed part already searched for an LF.
  size_t m_searched = 0;
  uint64_t m_bufferOffset = 0;
  /// True while the rest of an overlong line is being dropped.
  bool m_discarding = false;
  bool m_finished = false;
  bool m_readError = false;
  uint64_t m_lines = 0;
  uint64_t m_skipped = 0;
  uint64_t m_firstSkipped = 0;
};

}  // namespace analysis
