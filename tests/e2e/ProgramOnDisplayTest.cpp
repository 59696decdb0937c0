// The real program on a virtual X display, fed by the simulated board: once the
// high-pass filter has settled, the screen must show channel 1's traces
// around the scope's centre line, and a termination request must close the
// window cleanly. The scope on the screen must follow the stream many times a
// second, stand still without it, and never show an old sweep again once a
// new one has started. DEZIDURE_TEST_PROGRAM and DEZIDURE_TEST_SIMULATOR point it
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
#include <map>
#include <memory>
#include <sstream>
#include <thread>

#include "ScreenReading.h"
#include "VirtualDisplay.h"
#include "WindowClick.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Waiting.h"

namespace {

using namespace std::chrono_literals;

/// The path in `variable` when set, else the one given at build time.
std::string ProgramPath(const char* variable, const char* built) {
  const char* given = std::getenv(variable);
  return given != nullptr && *given != '\0' ? given : built;
}

/// Xvfb, the simulated board at its nominal rate and the real program on it,
/// run in a scratch directory.
class ProgramOnDisplay : public testing::Test {
 protected:
  void SetUp() override {
    work = std::filesystem::temp_directory_path() / ("dezidure-e2e-" + std::to_string(getpid()));
    std::filesystem::create_directories(work);
    xvfb = std::make_unique<e2e::VirtualDisplay>();
    display = xvfb->Number();
    ASSERT_FALSE(display.empty()) << "Xvfb did not start: " << xvfb->Failure();
    board = std::make_unique<support::ChildProcess>(std::vector<std::string>{
        ProgramPath("DEZIDURE_TEST_SIMULATOR", SIM_BIN), "--exit-on-hangup", "--channels", "8", "--seed", "7"});
    const std::string port = board->ReadLine(support::kPatience);
    ASSERT_FALSE(port.empty()) << "the simulator did not report its port";
    program = std::make_unique<support::ChildProcess>(
        std::vector<std::string>{ProgramPath("DEZIDURE_TEST_PROGRAM", DEZIDURE_BIN)},
        std::vector<std::string>{"DISPLAY=:" + display, "DEZIDURE_COM1=" + port, "QT_QPA_PLATFORM=xcb"}, work.string());
  }

  void TearDown() override {
    program.reset();
    board.reset();
    xvfb.reset();
    if (!HasFailure()) std::filesystem::remove_all(work);
  }

  /// Figures of the screen watcher (name=value) over `seconds` of watching;
  /// none when it found no scope.
  std::map<std::string, double> Watch(double seconds, bool exposeFirst = false) const {
    std::vector<std::string> argv{WATCH_BIN, "--seconds", std::to_string(seconds)};
    if (exposeFirst) argv.push_back("--expose");
    support::ChildProcess watcher(argv, {"DISPLAY=:" + display});
    std::istringstream figures(watcher.ReadLine(support::kPatience * 2));
    std::map<std::string, double> values;
    for (std::string field; figures >> field;) {
      const size_t equals = field.find('=');
      if (equals != std::string::npos) values[field.substr(0, equals)] = std::atof(field.c_str() + equals + 1);
    }
    return values;
  }

  /// Clicks the window's status bar, which starts and stops capture as the
  /// Start button does.
  void ClickStatusBar() const {
    ASSERT_TRUE(e2e::ClickWindow(display, program->Pid(), 20, 4)) << "the window was not clicked";
  }

  std::filesystem::path work;
  std::string display;
  std::unique_ptr<e2e::VirtualDisplay> xvfb;
  std::unique_ptr<support::ChildProcess> board, program;
};

TEST_F(ProgramOnDisplay, ShowsChannelOneTracesAndClosesCleanly) {
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
  EXPECT_TRUE(program->Stop(SIGTERM, 10s, status)) << "the program did not close";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "exit status " << status;
  EXPECT_TRUE(board->WaitExit(5s, status)) << "the simulator outlived the program";
}

TEST_F(ProgramOnDisplay, ScopeFollowsTheStreamStandsStillWithoutItAndShowsEachNewSweep) {
  // The board's 100 or so notifications a second, repainted on every
  // eleventh only, would change the picture about 9 times a second.
  std::map<std::string, double> live = Watch(5);
  ASSERT_FALSE(live.empty()) << "no scope on the screen";
  EXPECT_GE(live["updates_per_s"], 20);
  EXPECT_GT(live["trace_pixels"], 0);

  int status = -1;
  ASSERT_TRUE(board->Stop(SIGTERM, 10s, status));
  // The last bytes reach the screen within a repaint; after that, nothing moves.
  support::WaitUntil([&] { return Watch(1)["updates"] == 0; }, support::kPatience, [] {});
  EXPECT_EQ(Watch(2)["updates"], 0) << "the scope kept changing without data";

  // Stop, then Start: a new sweep with nothing drawn yet.
  ClickStatusBar();
  ClickStatusBar();
  EXPECT_TRUE(support::WaitUntil([&] { return Watch(0.2)["trace_pixels"] == 0; }, support::kPatience, [] {}))
      << "the new sweep never reached the screen";
  // A window passing over the scope must not bring the old sweep back.
  EXPECT_EQ(Watch(0.5, true)["trace_pixels"], 0) << "an exposure showed an old picture";
}

}  // namespace
