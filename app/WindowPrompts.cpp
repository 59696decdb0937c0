#include "app/WindowPrompts.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

namespace app {

namespace {

class DesktopPrompts final : public WindowPrompts {
 public:
  void ErrorBox(QWidget* parent, const QString& caption, const QString& text) override {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent);
    box.exec();
  }

  void MessageBeep() override { QApplication::beep(); }

  void Tell(const QString& line) override {
    std::fprintf(stderr, "dezidure: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
  }
};

}  // namespace

std::unique_ptr<WindowPrompts> MakeDesktopPrompts() { return std::make_unique<DesktopPrompts>(); }

}  // namespace app
