// Watches the screen of an X display until the program's scope shows channel
// 1's traces settled around the centre line (the look the Linux end-to-end
// test asks for) or 80 s have passed, saves the last screen as a PNG and
// says what it saw. Used by the Windows stage for the Windows program under
// wine, and to compare it with the Linux program.
//
//   dezidure-screen-traces DISPLAY OUTPUT.png     exit 0 when the traces settled
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "ScreenReading.h"
#include "tests/support/Waiting.h"

int main(int argc, char** argv) {
  using namespace std::chrono_literals;
  if (argc != 3) {
    std::fprintf(stderr, "usage: dezidure-screen-traces DISPLAY OUTPUT.png\n");
    return 2;
  }
  setenv("DISPLAY", argv[1], 1);
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  int appArgc = 1;
  QGuiApplication application(appArgc, argv);
  QImage screen;
  const auto start = std::chrono::steady_clock::now();
  const bool settled = support::WaitUntil(
      [&] {
        screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
        return ChannelOne(screen).Settled();
      },
      80s, [] { std::this_thread::sleep_for(500ms); });
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  screen.save(QString::fromLocal8Bit(argv[2]));

  const ChannelOne shown(screen);
  std::printf(
      "%s after %.1f s: scope centre row %d; channel 1 DC %zu pixels, mostly on row %d; "
      "AC %zu pixels, %ld within 6 rows of the centre\n",
      settled ? "settled" : "not settled", seconds, shown.centre, shown.dc.size(),
      shown.dc.empty() ? -1 : MostCommon(shown.dc), shown.ac.size(), shown.AcNearCentre());
  return settled ? 0 : 1;
}
