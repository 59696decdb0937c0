#include "tests/support/ChildProcess.h"

#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "tests/support/Waiting.h"

namespace support {

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                           const std::string& directory, const std::vector<int>& ignoredSignals) {
  Fork([&] {
    for (const std::string& entry : environment) putenv(const_cast<char*>(entry.c_str()));
    for (const int signal : ignoredSignals) std::signal(signal, SIG_IGN);
    if (!directory.empty() && chdir(directory.c_str()) != 0) _exit(126);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  });
}

ChildProcess::ChildProcess(const std::function<std::string()>& body) {
  Fork([&] {
    // Descriptors inherited from the test (a pseudo-terminal's slave, say)
    // would make the child hold what the test holds.
    closefrom(STDERR_FILENO + 1);
    const std::string line = body() + "\n";
    if (write(STDOUT_FILENO, line.data(), line.size()) < 0) _exit(1);
    for (;;) pause();
  });
}

void ChildProcess::Fork(const std::function<void()>& inChild) {
  int out[2];
  if (pipe(out) != 0) throw std::runtime_error("pipe failed");
  m_pid = fork();
  if (m_pid < 0) throw std::runtime_error("fork failed");
  if (m_pid == 0) {
    // A test that dies must not leave its display server or board behind.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    inChild();
    _exit(127);
  }
  close(out[1]);
  m_stdout = out[0];
}

ChildProcess::~ChildProcess() {
  int status = 0;
  if (!m_reaped) Stop(SIGKILL, std::chrono::seconds(5), status);
  if (m_stdout >= 0) close(m_stdout);
}

std::string ChildProcess::ReadLine(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (true) {
    const size_t end = m_pending.find('\n');
    if (end != std::string::npos) {
      std::string line = m_pending.substr(0, end);
      m_pending.erase(0, end + 1);
      return line;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return {};
    pollfd pfd{m_stdout, POLLIN, 0};
    if (poll(&pfd, 1, static_cast<int>(left.count())) <= 0) continue;
    char buffer[256];
    const ssize_t n = read(m_stdout, buffer, sizeof buffer);
    if (n <= 0) return {};
    m_pending.append(buffer, static_cast<size_t>(n));
  }
}

bool ChildProcess::WaitExit(std::chrono::milliseconds timeout, int& status) {
  const auto reaped = [&] { return m_reaped || (m_reaped = waitpid(m_pid, &status, WNOHANG) == m_pid); };
  return WaitUntil(reaped, timeout, [] { std::this_thread::sleep_for(std::chrono::milliseconds(20)); });
}

bool ChildProcess::Stop(int signal, std::chrono::milliseconds timeout, int& status) {
  if (m_reaped) return true;
  kill(m_pid, signal);
  if (WaitExit(timeout, status)) return true;
  kill(m_pid, SIGKILL);
  WaitExit(std::chrono::seconds(5), status);
  return false;
}

}  // namespace support
