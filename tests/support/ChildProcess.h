#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace support {

/// A program started for an end-to-end test: its standard output can be read
/// line by line, and it is ended (SIGKILL) when the object goes.
class ChildProcess {
 public:
  /// Starts `argv` with `environment` added to ours, in `directory` when given.
  ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {},
               const std::string& directory = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t Pid() const { return m_pid; }
  /// The next line of standard output, or "" when none came within `timeout`.
  std::string ReadLine(std::chrono::milliseconds timeout);
  /// Sends `signal`; returns true when the process then ended within `timeout`,
  /// with its exit status in `status`.
  bool Stop(int signal, std::chrono::milliseconds timeout, int& status);
  /// True when the process ended within `timeout` (0: has ended already),
  /// with its exit status in `status`.
  bool WaitExit(std::chrono::milliseconds timeout, int& status);

 private:
  pid_t m_pid = -1;
  int m_stdout = -1;
  std::string m_pending;
  bool m_reaped = false;
};

}  // namespace support
