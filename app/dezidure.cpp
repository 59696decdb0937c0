// Program entry: the application, its title, the main window and the event loop.
#include <QApplication>
#include <QScreen>
#include <clocale>

#include "app/TerminationSignals.h"
#include "app/main.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  // The log's time of day follows the user's time format.
  std::setlocale(LC_TIME, "");
  QApplication::setApplicationName(QStringLiteral("Dez Idure"));

  TfMain fMain;
  const QRect desktop = fMain.screen()->availableGeometry();
  fMain.move(desktop.center() - fMain.rect().center());
  app::CloseOnTerminationSignals(fMain);
  fMain.show();
  return QApplication::exec();
}
