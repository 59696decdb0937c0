// The real program started and ended without a display server of ours.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <csignal>
#include <fstream>

#include "tests/support/ChildProcess.h"
#include "tests/support/Waiting.h"

namespace {

/// Whether `pid` ignores ("SigIgn") or handles ("SigCgt") `signal`, as /proc tells.
bool SignalIn(pid_t pid, const std::string& field, int signal) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field + ":", 0) == 0)
      return (std::stoull(line.substr(field.size() + 1), nullptr, 16) >> (signal - 1)) & 1U;
  }
  return false;
}

// At their default the signals close the window cleanly; started ignored
// (nohup, a script's background job) they stay ignored and it runs on.
TEST(TerminationSignals, CloseTheWindowUnlessTheProgramWasStartedIgnoringThem) {
  const struct {
    std::vector<int> ignoredAtStart;
    int closing;
  } cases[] = {{{SIGHUP, SIGINT}, SIGTERM}, {{}, SIGHUP}, {{}, SIGINT}, {{}, SIGTERM}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.closing);
    // COM1 names no device, so that no port of this machine is probed.
    support::ChildProcess program({DEZIDURE_BIN}, {"QT_QPA_PLATFORM=offscreen", "DEZIDURE_COM1=/nonexistent/port"}, {},
                                  c.ignoredAtStart);
    ASSERT_TRUE(support::WaitUntil([&] { return SignalIn(program.Pid(), "SigCgt", SIGTERM); })) << "never ready";
    int status = -1;
    for (const int ignored : c.ignoredAtStart) {
      EXPECT_TRUE(SignalIn(program.Pid(), "SigIgn", ignored)) << "signal " << ignored << " no longer ignored";
      kill(program.Pid(), ignored);  // dropped as it is sent
      EXPECT_FALSE(program.WaitExit(std::chrono::milliseconds(0), status)) << "ended by signal " << ignored;
    }
    ASSERT_TRUE(program.Stop(c.closing, support::kPatience, status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "exit status " << status;
  }
}

// An X display where no server answers: one line and exit 1, not the toolkit's abort.
TEST(UnreachableDisplay, EndsWithOneLineAndExitOne) {
  const std::string script = "unset QT_QPA_PLATFORM WAYLAND_DISPLAY; exec \"$0\" 2>&1";
  support::ChildProcess program({"/bin/sh", "-c", script, DEZIDURE_BIN}, {"DISPLAY=:65000"});
  EXPECT_NE(program.ReadLine(support::kPatience).find("cannot reach the display :65000"), std::string::npos);
  EXPECT_EQ(program.ReadLine(support::kPatience), "") << "more than one line";
  int status = -1;
  ASSERT_TRUE(program.WaitExit(support::kPatience, status));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "exit status " << status;
}

}  // namespace
