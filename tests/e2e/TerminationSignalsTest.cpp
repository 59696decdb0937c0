// The real program, on the offscreen platform, against the signals that end
// it: at their default they close the window as the user would; a signal it
// was started with ignored (nohup, a script's background job) leaves it running.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/Waiting.h"

namespace {

using support::ChildProcess;

/// The set of signals that `pid` ignores ("SigIgn") or handles ("SigCgt"),
/// read from its status in /proc; 0 when it cannot be read.
uint64_t SignalMask(pid_t pid, const std::string& field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field + ":", 0) == 0) return std::stoull(line.substr(field.size() + 1), nullptr, 16);
  }
  return 0;
}

bool InMask(uint64_t mask, int signal) { return (mask >> (signal - 1)) & 1U; }

TEST(TerminationSignals, CloseTheWindowUnlessTheProgramWasStartedIgnoringThem) {
  struct Case {
    const char* name;
    std::vector<int> ignoredAtStart;
    std::vector<int> sent;
  };
  const Case cases[] = {
      {"hang-up and Ctrl+C ignored at start", {SIGHUP, SIGINT}, {SIGHUP, SIGINT}},
      {"hang-up", {}, {SIGHUP}},
      {"Ctrl+C", {}, {SIGINT}},
      {"termination", {}, {SIGTERM}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // COM1 names no device, so that no port of this machine is probed.
    ChildProcess program({DEZIDURE_BIN}, {"QT_QPA_PLATFORM=offscreen", "DEZIDURE_COM1=/nonexistent/dezidure-port"}, {},
                         c.ignoredAtStart);
    ASSERT_TRUE(support::WaitUntil([&] { return InMask(SignalMask(program.Pid(), "SigCgt"), SIGTERM); }))
        << "the program did not take over SIGTERM";
    for (const int signal : c.ignoredAtStart) {
      EXPECT_TRUE(InMask(SignalMask(program.Pid(), "SigIgn"), signal)) << "signal " << signal << " is not ignored";
    }
    for (const int signal : c.sent) kill(program.Pid(), signal);
    int status = -1;
    // An ignored signal is dropped when it is sent, so a survivor is still running now.
    const bool survives = !c.ignoredAtStart.empty();
    if (survives) {
      EXPECT_FALSE(program.WaitExit(std::chrono::milliseconds(0), status)) << "ended by an ignored signal";
      ASSERT_TRUE(program.Stop(SIGTERM, support::kPatience, status)) << "SIGTERM did not close it";
    } else {
      ASSERT_TRUE(program.WaitExit(support::kPatience, status)) << "the signal did not close it";
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "exit status " << status;
  }
}

}  // namespace
