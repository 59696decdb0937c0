// The real program on a virtual X display, logging the simulated board's
// frames: a hang-up (the terminal it was started from closing) must close the
// window as a user would, with the log complete to its last line.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "VirtualDisplay.h"
#include "WindowClick.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/DecodedFrames.h"
#include "tests/support/FileText.h"
#include "tests/support/Waiting.h"
#include "tools/LogReplay.h"

namespace {

using namespace std::chrono_literals;
using support::ChildProcess;
namespace fs = std::filesystem;

/// The log file in `dir`, or an empty path while there is none.
fs::path LogIn(const fs::path& dir) {
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() == ".csv") return entry.path();
  }
  return {};
}

/// Clicks the "Timed log file" box of the program's window: 128 pixels from
/// the left, in the control strip that lies 89 + 18 pixels above the window's
/// bottom edge.
void ClickLogBox(const std::string& display, pid_t program) {
  e2e::ClickWindow(display, program, 120 + 8, 18 + 89 - 61 - 8);
}

TEST(LogOnHangUp, ClosesTheWindowWithTheLogCompleteToItsLastLine) {
  const fs::path work = fs::temp_directory_path() / ("dezidure-hangup-" + std::to_string(getpid()));
  fs::remove_all(work);
  fs::create_directories(work);
  const fs::path recording = work / "sent.bin";

  const e2e::VirtualDisplay xvfb;
  const std::string& display = xvfb.Number();
  ASSERT_FALSE(display.empty()) << "Xvfb did not start: " << xvfb.Failure();
  ChildProcess board({SIM_BIN, "--exit-on-hangup", "--channels", "8", "--record", recording.string()});
  const std::string port = board.ReadLine(support::kPatience);
  ASSERT_FALSE(port.empty()) << "the simulator did not report its port";
  ChildProcess program({DEZIDURE_BIN}, {"DISPLAY=:" + display, "DEZIDURE_COM1=" + port, "QT_QPA_PLATFORM=xcb"},
                       work.string());

  // The box is greyed out until the first statistics tick, five seconds in.
  ASSERT_TRUE(support::WaitUntil([&] { return !LogIn(work).empty(); }, support::kPatience * 3,
                                 [&] {
                                   ClickLogBox(display, program.Pid());
                                   // The next click must not untick a log that this one started.
                                   support::WaitUntil([&] { return !LogIn(work).empty(); }, 1s);
                                 }))
      << "the log did not start";
  const fs::path log = LogIn(work);
  // Lines reach the file while the log runs, not only when it closes.
  EXPECT_TRUE(support::WaitUntil([&] { return support::FileText(log).size() >= 100 * 200; }));

  int status = -1;
  ASSERT_TRUE(program.Stop(SIGHUP, 10s, status)) << "the program did not close";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "exit status " << status;
  EXPECT_TRUE(board.WaitExit(10s, status)) << "the simulator outlived the program";

  // Every line is whole and records, in order, frames the board sent one
  // after the other.
  const std::string text = support::FileText(log);
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << "the log ends inside a line";
  const auto sent = support::DecodeFrames(support::FileText(recording));
  std::vector<support::DecodedFrame> logged;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const auto frame = sim::ParseLogLine(line);
    ASSERT_TRUE(frame) << "line " << logged.size() + 1 << ": " << line;
    logged.emplace_back(frame->samples, frame->temperatures);
  }
  ASSERT_GE(logged.size(), 100u);
  const auto first = std::search(sent.begin(), sent.end(), logged.begin(), logged.end());
  EXPECT_NE(first, sent.end()) << "the logged frames are not a run of the frames sent";
  if (!HasFailure()) fs::remove_all(work);
}

}  // namespace
