#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace logbook {

// Buffered writer of one log file. Text collects in a 64 KiB buffer that goes
// to the file with one write call when it fills, and on Close. Unlike a
// silent text file it reports failures: once a write to the file has failed
// (disk full, file system gone) the writer stays failed and every further
// Write returns false until the next Open, so no line is dropped unnoticed.
class LogWriter {
 public:
  // The write call used for the file; replaceable so tests can inject errors.
  // Same contract as POSIX write(2): bytes written, or -1 with errno set.
  using WriteFunction = std::function<ssize_t(int fd, const void* data, size_t size)>;

  static constexpr size_t kBufferSize = 64 * 1024;

  // Writes with ::write.
  LogWriter();
  // Writes with the given function; an empty function means ::write.
  explicit LogWriter(WriteFunction write);
  // Closes the file, ignoring failures.
  ~LogWriter();

  LogWriter(const LogWriter&) = delete;
  LogWriter& operator=(const LogWriter&) = delete;

  // Creates the file, or truncates it if it exists, and opens it for
  // writing; other programs can read it while it is open (permissions
  // 0666 less the umask, 0644 normally). An open file is closed first.
  // Returns false (and leaves the writer closed) if the file cannot be
  // created; Error() then gives the errno.
  bool Open(const std::string& path);

  // Appends text. Returns false if the writer is not open, is failed, or a
  // flush to the file failed now; the text is then not written.
  bool Write(std::string_view text);

  // Flushes the buffer and closes the file. Returns false if the writer had
  // failed, or the final flush or the close failed; the file is closed
  // either way. Closing a closed writer does nothing and returns true.
  bool Close();

  bool IsOpen() const { return m_fd >= 0; }

  // True after a failed write to the open file; cleared by Open and Close.
  bool Failed() const { return m_failed; }

  // errno of the last failure of Open, Write or Close; 0 if none.
  int Error() const { return m_error; }

 private:
  bool Flush();
  bool WriteAll(const char* data, size_t size);
  bool Fail(int error);

  WriteFunction m_write;
  std::vector<char> m_buffer;
  size_t m_used = 0;
  int m_fd = -1;
  bool m_failed = false;
  int m_error = 0;
};

}  // namespace logbook
