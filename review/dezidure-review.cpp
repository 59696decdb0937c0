// Program entry of Dez Idure Review: the command line, the application and
// a window per log named on it.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "analysis/ReportCommand.h"
#include "app/Logo.h"
#include "review/ReviewWindow.h"

namespace {

constexpr const char* kUsage =
    "Usage: dezidure-review [FILE.csv ...]\n"
    "       dezidure-review --report FILE.csv [--quiet FROM-TO ...] [--walk FROM-TO ...] [--detector SETTINGS]\n"
    "Shows logs of Dez Idure at any zoom and follows them while they are written.\n"
    "With --report, writes the log's figures as JSON to standard output instead, without a window:\n"
    "per channel the DC and AC statistics, SNR, settling, drift, band RMS and the detector's events.\n"
    "  --quiet FROM-TO     a span with nobody in the field, in seconds from the log's start\n"
    "                      (12.5, 1:30 or 1:02:03); several may be given\n"
    "  --walk FROM-TO      a span with someone walking; several may be given\n"
    "  --detector SETTINGS threshold=40|3xrms,pulses=2,window=5,blind=2,alternate=1,single=5,warmup=10\n"
    "  -h, --help          show this help and exit\n"
    "  -v, --version       show the version and exit\n"
    "Exit status of --report: 0 done, 1 the log could not be read, 2 a usage error.\n";

/// The headless report: no toolkit, no display.
int Report(const std::vector<std::string>& args) {
  std::string error;
  const std::optional<analysis::ReportRequest> request = analysis::ParseReportRequest(args, error);
  if (!request) {
    std::cerr << "dezidure-review: " << error << "\n" << kUsage;
    return analysis::kReportUsage;
  }
  return analysis::RunReport(*request, std::cout, std::cerr);
}

#ifndef _WIN32
bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}
#endif

/// True when the window has somewhere to show: always on Windows, elsewhere
/// a display, or a platform or display named in the environment or on the
/// command line (the toolkit's -platform and -display).
bool HasDisplay(int argc, char* argv[]) {
#ifdef _WIN32
  (void)argc;
  (void)argv;
  return true;
#else
  if (IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM")) return true;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i] + (std::strncmp(argv[i], "--", 2) == 0 ? 1 : 0);
    if (std::strcmp(arg, "-platform") == 0 || std::strcmp(arg, "-display") == 0) return true;
  }
  return false;
#endif
}

}  // namespace

int main(int argc, char* argv[]) {
  // Answered before the toolkit starts, which would need a display first.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "-v") == 0 || std::strcmp(argv[i], "--version") == 0) {
      std::printf("dezidure-review %s\n", DEZIDURE_VERSION);
      return 0;
    }
  }
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (analysis::AsksForReport(args)) return Report(args);
  // Without a display the toolkit would abort; say why instead.
  if (!HasDisplay(argc, argv)) {
    std::fputs(
        "dezidure-review: no display to show the window on (DISPLAY and WAYLAND_DISPLAY are not set); "
        "start it in a desktop session, or on a virtual display: xvfb-run dezidure-review\n",
        stderr);
    return 1;
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Dez Idure Review"));
  QApplication::setApplicationVersion(QStringLiteral(DEZIDURE_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral(DEZIDURE_REVIEW_APP_ID));
  QApplication::setWindowIcon(app::ApplicationIcon());

  // The toolkit has taken its own options out of the arguments; the rest are logs.
  const QStringList files = QApplication::arguments().mid(1);
  auto* window = new review::ReviewWindow;
  window->show();
  for (const QString& file : files) window->OpenLog(file);
  return QApplication::exec();
}
