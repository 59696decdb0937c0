#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace sim {

// Outcome of writing bytes to the board's output.
enum class WriteStatus {
  Written,   // every byte went out
  NoReader,  // nobody has the pseudo-terminal open; the rest was dropped
  Stopped,   // a stop was requested while waiting; the rest was dropped
  Failed,    // the device reported an error (see Error())
};

// Where the simulated board's bytes go: the master side of a pseudo-terminal,
// whose slave side a reader opens like a serial port, or a given device.
// Both are raw, so every byte arrives unchanged (no CR/LF translation, no
// flow-control characters, no echo).
class BoardOutput {
 public:
  // Opens a new pseudo-terminal with its slave in raw mode. Returns null,
  // with the reason in error, on failure.
  static std::unique_ptr<BoardOutput> OpenPty(std::string& error);

  // Opens a device or file for writing; a terminal device is set raw at
  // 115200 baud, 8N1. Returns null, with the reason in error, on failure.
  static std::unique_ptr<BoardOutput> OpenDevice(const std::string& path, std::string& error);

  ~BoardOutput();
  BoardOutput(const BoardOutput&) = delete;
  BoardOutput& operator=(const BoardOutput&) = delete;

  // The path a reader opens: the slave of the pseudo-terminal, or the device.
  const std::string& Path() const { return m_path; }

  bool IsPty() const { return m_pty; }

  // Whether a reader has the pseudo-terminal's slave open; always true for
  // a device. When the last reader leaves, bytes still queued for it are
  // discarded, so the next reader starts with fresh data.
  bool HasReader();

  // Writes all bytes, waiting with poll while the output is full. A stop
  // request or a departed reader ends the wait.
  WriteStatus Write(std::string_view bytes);

  // Waits until the reader has read everything sent, it has left, a stop
  // was requested, or the limit has passed; true if everything was read.
  // Closing a pseudo-terminal discards what its reader has not yet read,
  // so a finite run waits for this before it ends. Always true for a device.
  bool WaitUntilRead(std::chrono::milliseconds limit);

  // Bytes of the last Write that went out (all of them unless it failed).
  size_t LastWritten() const { return m_lastWritten; }

  // errno of the last failure.
  int Error() const { return m_error; }

 private:
  BoardOutput(int fd, std::string path, bool pty);
  void DiscardUnread();
  // Bytes waiting in the reader's input queue; -1 if it cannot be told.
  int Unread() const;

  int m_fd;
  std::string m_path;
  bool m_pty;
  bool m_hadReader = false;
  size_t m_lastWritten = 0;
  int m_error = 0;
};

}  // namespace sim
