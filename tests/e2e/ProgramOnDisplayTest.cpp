// The real program on a virtual X display, fed by the simulated board: once the
// high-pass filter has settled, the screen must show channel 1's traces
// around the scope's centre line, and a termination request must close the
// window cleanly. DEZIDURE_TEST_PROGRAM and DEZIDURE_TEST_SIMULATOR point it
// at other copies of the two programs, such as those unpacked from the Debian
// package.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "tests/support/ChildProcess.h"
#include "tests/support/Waiting.h"
#include "ScreenReading.h"

namespace {

using namespace std::chrono_literals;

/// The path in `variable` when set, else the one given at build time.
std::string ProgramPath(const char* variable, const char* built) {
  const char* given = std::getenv(variable);
  return given != nullptr && *given != '\0' ? given : built;
}

TEST(ProgramOnDisplay, ShowsChannelOneTracesAndClosesCleanly) {
  const std::filesystem::path work =
      std::filesystem::temp_directory_path() / ("dezidure-e2e-" + std::to_string(getpid()));
  std::filesystem::create_directories(work);

  support::ChildProcess xvfb({XVFB_BIN, "-displayfd", "1", "-screen", "0", "800x700x24", "-nolisten", "tcp"});
  const std::string display = xvfb.ReadLine(support::kPatience);
  ASSERT_FALSE(display.empty()) << "Xvfb did not start";

  support::ChildProcess board(
      {ProgramPath("DEZIDURE_TEST_SIMULATOR", SIM_BIN), "--exit-on-hangup", "--channels", "8", "--seed", "7"});
  const std::string port = board.ReadLine(support::kPatience);
  ASSERT_FALSE(port.empty()) << "the simulator did not report its port";

  support::ChildProcess program({ProgramPath("DEZIDURE_TEST_PROGRAM", DEZIDURE_BIN)},
                                {
                                    "DISPLAY=:" + display,
                                    "DEZIDURE_COM1=" + port,
                                    "QT_QPA_PLATFORM=xcb",
                                },
                                work.string());
  setenv("DISPLAY", (":" + display).c_str(), 1);
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  int argc = 1;
  char name[] = "e2e";
  char* argv[] = {name, nullptr};
  QGuiApplication application(argc, argv);
  // The high-pass filter starts from rest and takes about 1.5 s of frames per
  // time constant to settle on the board's baseline: four sweeps or so, and
  // the board's motion events stir it now and then.
  QImage screen;
  support::WaitUntil(
      [&] {
        screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
        return ChannelOne(screen).Settled();
      },
      80s, [] { std::this_thread::sleep_for(500ms); });
  const std::string saved = (work / "screen.png").string();
  screen.save(QString::fromStdString(saved));

  const ChannelOne shown(screen);
  ASSERT_GE(shown.centre, 0) << "no scope centre line on screen; see " << saved;
  ASSERT_GT(shown.dc.size(), 100u) << "no DC trace; see " << saved;
  ASSERT_GT(shown.ac.size(), 300u) << "no AC trace over a good part of a sweep; see " << saved;
  EXPECT_NEAR(MostCommon(shown.dc), shown.centre, 60);
  EXPECT_GT(2 * shown.AcNearCentre(), static_cast<long>(shown.ac.size())) << "see " << saved;

  int status = -1;
  EXPECT_TRUE(program.Stop(SIGTERM, 10s, status)) << "the program did not close";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "exit status " << status;
  EXPECT_TRUE(board.WaitExit(5s, status)) << "the simulator outlived the program";
  if (!HasFailure()) std::filesystem::remove_all(work);
}

}  // namespace
