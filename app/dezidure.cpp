// Program entry: the command line, the application, its title, the main
// window and the event loop.
#include <QApplication>
#include <QScreen>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Logo.h"
#include "app/TerminationSignals.h"
#include "app/main.h"
#ifndef _WIN32
#include "app/RuntimeDirectory.h"
#include "app/X11DisplayProbe.h"
#endif

namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

app::DisplayEnvironment CurrentDisplayEnvironment() {
  app::DisplayEnvironment environment;
  environment.x11Display = IsSet("DISPLAY");
  if (environment.x11Display) environment.x11DisplayName = std::getenv("DISPLAY");
  environment.waylandDisplay = IsSet("WAYLAND_DISPLAY");
  environment.platformChosen = IsSet("QT_QPA_PLATFORM");
#ifdef _WIN32
  environment.alwaysHasDesktop = true;
#endif
  return environment;
}

}  // namespace

int main(int argc, char* argv[]) {
  // Answered before the toolkit starts, which would need a display first.
  app::CommandDecision decision = app::DecideCommandLine(std::vector<std::string>(argv + 1, argv + argc),
                                                         CurrentDisplayEnvironment(), DEZIDURE_VERSION);
#ifndef _WIN32
  if (!decision.x11DisplayToCheck.empty() && !app::X11DisplayAnswers(decision.x11DisplayToCheck)) {
    decision = app::UnreachableDisplay(decision.x11DisplayToCheck);
  }
#endif
  if (decision.action != app::CommandAction::Run) {
    const bool normal = decision.exitCode == 0;
    std::fputs(decision.text.c_str(), normal ? stdout : stderr);
    return decision.exitCode;
  }
#ifndef _WIN32
  app::ProvideRuntimeDirectory();
  // The scope repaints a few columns dozens of times a second. Through X
  // shared memory every repaint waits a round trip for the server to finish
  // with the previous one, which costs more than sending the few pixels.
  if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
#endif
  QApplication application(argc, argv);
  // The log's time of day follows the user's time format.
  std::setlocale(LC_TIME, "");
  QApplication::setApplicationName(QStringLiteral("Dez Idure"));
  QApplication::setApplicationVersion(QStringLiteral(DEZIDURE_VERSION));
  // Lets docks on Wayland match the window to its menu entry.
  QGuiApplication::setDesktopFileName(QStringLiteral(DEZIDURE_APP_ID));
  QApplication::setWindowIcon(app::ApplicationIcon());

  TfMain fMain;
  const QRect desktop = fMain.screen()->availableGeometry();
  fMain.move(desktop.center() - fMain.rect().center());
  app::CloseOnTerminationSignals(fMain);
  fMain.show();
  return QApplication::exec();
}
