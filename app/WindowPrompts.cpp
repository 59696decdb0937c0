#include "app/WindowPrompts.h"

#include <QApplication>
#include <QMessageBox>

namespace app {

namespace {

class DesktopPrompts final : public WindowPrompts {
 public:
  void ErrorBox(QWidget* parent, const QString& caption, const QString& text) override {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent);
    box.exec();
  }

  void MessageBeep() override { QApplication::beep(); }
};

}  // namespace

std::unique_ptr<WindowPrompts> MakeDesktopPrompts() { return std::make_unique<DesktopPrompts>(); }

}  // namespace app
