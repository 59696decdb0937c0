#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "analysis/LogReader.h"
#include "analysis/LogSession.h"

namespace review {

/// How far the reading of a log has come.
struct LoadProgress {
  /// Frames in the session.
  uint64_t frames = 0;
  /// Lines skipped so far.
  uint64_t skipped = 0;
  /// Bytes read as whole lines, and the file's size when it was opened.
  uint64_t bytesRead = 0;
  uint64_t bytesAtOpen = 0;
  /// True once everything the file held at opening has been read.
  bool caughtUp = false;
  /// True when the file holds lines but none of them is a log line.
  bool notALog = false;
  /// True when reading failed.
  bool readError = false;
};

/// Reads a log into a session in a thread of its own, then keeps reading
/// what is appended to the file every kPollMilliseconds until destroyed.
/// The window reads the session while holding Lock().
class LogFollower {
 public:
  static constexpr int kPollMilliseconds = 100;

  /// Opens the file and starts reading; Open's error tells why not.
  explicit LogFollower(const std::string& path);
  /// Stops the reading thread and waits for it.
  ~LogFollower();
  LogFollower(const LogFollower&) = delete;
  LogFollower& operator=(const LogFollower&) = delete;

  /// True when the file opened; otherwise Error() says why.
  bool Opened() const { return m_opened; }
  const std::string& Error() const { return m_error; }
  const std::string& Path() const { return m_path; }

  /// Holds the session still while the caller reads it.
  std::unique_lock<std::mutex> Lock() const { return std::unique_lock<std::mutex>(m_mutex); }
  /// The session; read it only while holding Lock().
  const analysis::LogSession& Session() const { return m_session; }
  /// The progress so far (takes the lock itself).
  LoadProgress Progress() const;

 private:
  void Run();

  std::string m_path;
  std::string m_error;
  bool m_opened = false;
  analysis::LogReader m_reader;
  mutable std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_stop = false;
  analysis::LogSession m_session;
  LoadProgress m_progress;
  std::thread m_thread;
};

}  // namespace review
