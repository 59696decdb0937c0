#pragma once

#include <cstdint>
#include <string>

namespace bench {

/// Counts the system calls that the calling thread makes while the counter is
/// running. It uses the kernel's syscall-entry tracepoint through
/// perf_event_open; where that is not permitted it falls back to the thread's
/// read and write call counts (/proc/thread-self/io), which cover the receive
/// path's calls but not, say, poll. Method() tells which one is in use.
class SyscallCounter {
 public:
  SyscallCounter();
  ~SyscallCounter();
  SyscallCounter(const SyscallCounter&) = delete;
  SyscallCounter& operator=(const SyscallCounter&) = delete;

  void Start();
  void Stop();
  /// Calls counted between all Start/Stop pairs so far, less the counter's
  /// own calls (measured once at construction).
  uint64_t Count() const;
  /// False when neither method works here; Count() then stays 0.
  bool Usable() const { return m_fd >= 0 || m_ioUsable; }
  /// "system calls" or "read/write calls".
  std::string Method() const;

 private:
  static bool ReadIoCalls(uint64_t& calls);

  int m_fd = -1;
  bool m_ioUsable = false;
  uint64_t m_ioAtStart = 0;
  uint64_t m_count = 0;
  uint64_t m_pairs = 0;
  uint64_t m_overheadPerPair = 0;
};

}  // namespace bench
