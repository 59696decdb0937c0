// Writes the application icon as PNG files in the hicolor theme's layout:
//   dezidure-icons DIR NAME   ->   DIR/hicolor/SIZExSIZE/apps/NAME.png
// Run at build time, so the installed icon is the program's own artwork.
// Painting into an image needs no display and no application object.
#include <QDir>
#include <QString>
#include <cstdio>

#include "app/Logo.h"

int main(int argc, char* argv[]) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: dezidure-icons DIR NAME\n");
    return 2;
  }
  const QString root = QString::fromLocal8Bit(argv[1]);
  const QString name = QString::fromLocal8Bit(argv[2]);
  for (int size : app::kApplicationIconSizes) {
    const QString dir = QStringLiteral("%1/hicolor/%2x%2/apps").arg(root).arg(size);
    const QString file = QStringLiteral("%1/%2.png").arg(dir, name);
    if (!QDir().mkpath(dir) || !app::ApplicationIconImage(size).save(file, "PNG")) {
      std::fprintf(stderr, "dezidure-icons: cannot write %s\n", file.toLocal8Bit().constData());
      return 1;
    }
  }
  return 0;
}
