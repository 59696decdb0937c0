// Dez Idure Review on a virtual X display: a log named on the command line
// shows every channel's DC and AC traces in the live scope's colours, and
// lines appended to the log while it is open appear in the view, a cut last
// line waiting until it is whole; the statistics of the view reach the
// clipboard as CSV. DEZIDURE_TEST_REVIEW points it at another
// copy of the program, such as the Windows one, started through
// DEZIDURE_TEST_RUNNER when set (scripts/wine-run.sh under wine).
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <numeric>
#include <thread>

#include "VirtualDisplay.h"
#include "WindowClick.h"
#include "display/ScopeGeometry.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/LogText.h"
#include "tests/support/ScratchDirectory.h"
#include "tests/support/Waiting.h"

namespace {

using namespace std::chrono_literals;

QRgb Rgb(TBgrColor c) { return qRgb(c.R, c.G, c.B); }

/// Pixels of `colour` in each row of the screen.
std::vector<int> RowCounts(const QImage& screen, QRgb colour) {
  std::vector<int> rows(static_cast<size_t>(screen.height()));
  for (int y = 0; y < screen.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(screen.constScanLine(y));
    for (int x = 0; x < screen.width(); ++x)
      rows[static_cast<size_t>(y)] += (line[x] & 0xFFFFFF) == (colour & 0xFFFFFF);
  }
  return rows;
}

int Total(const std::vector<int>& rows) { return std::accumulate(rows.begin(), rows.end(), 0); }

/// The command that starts the program on `log`.
std::vector<std::string> ReviewCommand(const std::string& log) {
  std::vector<std::string> argv;
  const char* runner = std::getenv("DEZIDURE_TEST_RUNNER");
  if (runner != nullptr && *runner != '\0') argv.emplace_back(runner);
  const char* program = std::getenv("DEZIDURE_TEST_REVIEW");
  argv.emplace_back(program != nullptr && *program != '\0' ? program : DEZIDURE_REVIEW_BIN);
  argv.push_back(log);
  return argv;
}

/// Time allowed for each look of the screen: a program under wine starts slowly.
constexpr auto kScreenPatience = support::kPatience * 3;

/// The environment of the program on display `number`; this process's Qt
/// is pointed at the same display, to look at the screen and the clipboard.
std::vector<std::string> OnDisplay(const std::string& number) {
  std::vector<std::string> environment{"DISPLAY=:" + number};
  // A Linux program is kept off Wayland; the Windows one has a platform of its own.
  if (std::getenv("DEZIDURE_TEST_RUNNER") == nullptr) environment.emplace_back("QT_QPA_PLATFORM=xcb");
  setenv("DISPLAY", (":" + number).c_str(), 1);
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  return environment;
}

/// A log written in a scratch folder, opened by the review program on a
/// display of its own, with this process's Qt on the same display.
class ReviewOnDisplay : public ::testing::Test {
 protected:
  /// Writes a log of `shape`, leaving it open for more lines, and starts the program on it.
  void Open(const support::SyntheticLog& shape) {
    m_writer.open(m_log, std::ios::binary);
    support::WriteSyntheticLog(m_writer, shape);
    m_writer.flush();
    m_xvfb = std::make_unique<e2e::VirtualDisplay>();
    ASSERT_FALSE(m_xvfb->Number().empty()) << "Xvfb did not start";
    m_review = std::make_unique<support::ChildProcess>(ReviewCommand(m_log), OnDisplay(m_xvfb->Number()));
    m_application = std::make_unique<QGuiApplication>(m_argc, m_argv);
  }

  support::ScratchDirectory m_scratch;
  const std::string m_log = (m_scratch.Path() / "2026-12-07_14-00-00.csv").string();
  std::ofstream m_writer;
  std::unique_ptr<e2e::VirtualDisplay> m_xvfb;
  std::unique_ptr<support::ChildProcess> m_review;

 private:
  int m_argc = 1;
  char m_name[4] = "e2e";
  char* m_argv[2] = {m_name, nullptr};
  std::unique_ptr<QGuiApplication> m_application;
};

TEST_F(ReviewOnDisplay, ShowsTheTracesOfALogAndFollowsItsNewLines) {
  support::SyntheticLog shape;
  shape.seconds = 8;
  shape.channels = 2;
  ASSERT_NO_FATAL_FAILURE(Open(shape));
  auto grab = [] {
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
  };
  const QRgb colours[] = {Rgb(disp::kDcColors[0]), Rgb(disp::HalfIntensity(disp::kDcColors[0])),
                          Rgb(disp::kDcColors[1]), Rgb(disp::HalfIntensity(disp::kDcColors[1]))};
  QImage screen;
  const bool shown = support::WaitUntil(
      [&] {
        screen = grab();
        for (const QRgb colour : colours) {
          if (Total(RowCounts(screen, colour)) < 200) return false;
        }
        return true;
      },
      kScreenPatience, [] { std::this_thread::sleep_for(200ms); });
  const std::string saved = (std::filesystem::temp_directory_path() / "dezidure-review-e2e.png").string();
  if (!shown) screen.save(QString::fromStdString(saved));
  ASSERT_TRUE(shown) << "no DC and AC traces of both channels; see " << saved;

  // Channel 1 then stays at full scale for four seconds: a flat line, one
  // row of the DC pane, over the last third of the view.
  for (const char* second : {"14:00:08", "14:00:09", "14:00:10", "14:00:11"}) {
    for (int i = 0; i < 333; ++i) m_writer << support::LogLineText(second, {65535, 30000}, {24, 24});
  }
  m_writer << support::LogLineText("14:00:12", {0, 0}, {24, 24}).substr(0, 12) << std::flush;
  const bool followed = support::WaitUntil(
      [&] {
        screen = grab();
        const auto rows = RowCounts(screen, colours[0]);
        return *std::max_element(rows.begin(), rows.end()) > screen.width() / 8;
      },
      kScreenPatience, [] { std::this_thread::sleep_for(200ms); });
  if (!followed) screen.save(QString::fromStdString(saved));
  EXPECT_TRUE(followed) << "the appended lines did not appear; see " << saved;
}

TEST_F(ReviewOnDisplay, CopiesTheStatisticsOfTheWholeViewAsCsv) {
  ASSERT_NO_FATAL_FAILURE(Open({14 * 3600, 6, 333, 2, true}));
  // Without a selection the panel covers the whole view, which shows the
  // whole log once read: every frame counts, on both traces of both channels.
  const QString frames = QString::number(6 * 333);
  QString csv;
  const bool copied = support::WaitUntil(
      [&] {
        if (!e2e::PressKeys(m_xvfb->Number(), "Dez Idure Review", "ctrl+shift+c")) return false;
        csv = QGuiApplication::clipboard()->text();
        return csv.startsWith("channel,trace,n,mean,") && csv.count(",DC," + frames + ",") == 2 &&
               csv.count(",AC," + frames + ",") == 2;
      },
      kScreenPatience, [] { std::this_thread::sleep_for(300ms); });
  EXPECT_TRUE(copied) << csv.toStdString();
}

}  // namespace
