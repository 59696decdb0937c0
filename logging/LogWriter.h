#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace logbook {

/// Buffered writer of one log file. Text collects in a 64 KiB buffer that goes
/// to the file with one write call when the next piece would not fit, when its
/// oldest byte has waited kMaxLineAge, on Flush and on Close. A piece is never
/// split between two write calls, so a file written in whole lines holds whole
/// lines after every call, whenever the program ends.
///
/// Failures are reported, not dropped: once a write to the file has failed
/// (disk full, file system gone) the file is cut back to its last complete
/// line, the writer stays failed and every further Write returns false until
/// the next Open.
class LogWriter {
 public:
  /// The write call used for the file; replaceable so tests can inject errors.
  /// Same contract as POSIX write(2): bytes written, or -1 with errno set.
  using WriteFunction = std::function<ssize_t(int fd, const void* data, size_t size)>;
  using TimePoint = std::chrono::steady_clock::time_point;
  /// Source of monotonic time; replaceable so tests control time.
  using Clock = std::function<TimePoint()>;

  static constexpr size_t kBufferSize = 64 * 1024;
  /// Longest that written text waits in the buffer, provided Write or Flush
  /// is called by then. Below the promised quarter of a second, leaving room
  /// for a busy event loop.
  static constexpr std::chrono::milliseconds kMaxLineAge{200};

  /// Writes with the system's write call and reads the steady clock.
  LogWriter();
  /// Writes with `write` and reads `clock`; an empty function means the system's.
  explicit LogWriter(WriteFunction write, Clock clock = {});
  /// Closes the file, ignoring failures.
  ~LogWriter();

  LogWriter(const LogWriter&) = delete;
  LogWriter& operator=(const LogWriter&) = delete;

  /// Creates the file, or truncates it if it is a regular file, and opens it
  /// for writing; other programs can read it while it is open (permissions
  /// 0666 less the umask, 0644 normally). A symbolic link at the name is not
  /// followed and makes the open fail. An open file is closed first. Returns
  /// false (and leaves the writer closed) if the file cannot be created;
  /// Error() then gives the reason's code.
  bool Open(const std::string& path);

  /// Appends text, flushing first if it would not fit and afterwards if the
  /// oldest buffered byte is due. Returns false if the writer is not open, is
  /// failed, or a write to the file failed now; the text is then not written.
  bool Write(std::string_view text);

  /// Writes whatever is buffered to the file. True when nothing was buffered
  /// or it was all written; false if the writer is failed or fails now.
  bool Flush();

  /// How long until the buffered text is due for the file (zero when it is
  /// overdue); nothing when the buffer is empty or the writer closed.
  std::optional<std::chrono::milliseconds> TimeToFlush() const;

  /// Flushes the buffer and closes the file. Returns false if the writer had
  /// failed, or the final flush or the close failed; the file is closed
  /// either way. Closing a closed writer does nothing and returns true.
  bool Close();

  bool IsOpen() const { return m_fd >= 0; }

  /// True after a failed write to the open file; cleared by Open and Close.
  bool Failed() const { return m_failed; }

  /// Error code of the last failure of Open, Write or Close; 0 if none.
  int Error() const { return m_error; }

  /// Complete lines (ended by LF) that the file holds, counted since the
  /// last Open; still valid after Close.
  uint64_t LinesKept() const { return m_lines; }

 private:
  bool FlushBuffer();
  bool WriteAll(const char* data, size_t size);
  void CountWritten(const char* data, size_t size);
  bool Fail(int error);

  WriteFunction m_write;
  Clock m_clock;
  std::vector<char> m_buffer;
  size_t m_used = 0;
  TimePoint m_oldest{};  ///< when the buffer last turned non-empty
  int m_fd = -1;
  bool m_failed = false;
  int m_error = 0;
  uint64_t m_fileSize = 0;  ///< bytes this writer put into the file
  uint64_t m_lineEnd = 0;   ///< file size at the end of its last complete line
  uint64_t m_lines = 0;
};

}  // namespace logbook
