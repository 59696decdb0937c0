#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace support {

/// A program started for an end-to-end test: its standard output can be read
/// line by line, and it is ended (SIGKILL) when the object goes.
class ChildProcess {
 public:
  /// Starts `argv` with `environment` added to ours, in `directory` when
  /// given, and with `ignoredSignals` ignored from its start (as nohup or a
  /// shell's background job starts a program).
  ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {},
               const std::string& directory = {}, const std::vector<int>& ignoredSignals = {});
  /// A forked copy of this process that runs `body`, writes what it returns
  /// as one line to its standard output, and then stays, holding whatever
  /// `body` opened, until it is ended. It keeps none of this process's
  /// descriptors but standard input, output and error; `body` must not use
  /// the test framework.
  explicit ChildProcess(const std::function<std::string()>& body);
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
  /// Forks; the child runs `inChild` with its standard output on a pipe
  /// that ReadLine reads, and never returns.
  void Fork(const std::function<void()>& inChild);

  pid_t m_pid = -1;
  int m_stdout = -1;
  std::string m_pending;
  bool m_reaped = false;
};

}  // namespace support
