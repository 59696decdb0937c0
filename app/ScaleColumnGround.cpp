#include "app/ScaleColumnGround.h"

#include <QEvent>
#include <QStyle>
#include <QWidget>
#include <optional>

namespace app {

namespace {

/// True when `palette` draws light text on a dark window: a dark theme.
bool IsDark(const QPalette& palette) {
  return palette.color(QPalette::Window).lightness() < palette.color(QPalette::WindowText).lightness();
}

/// Applies the column's ground now and again whenever its palette changes.
class ScaleColumnGround : public QObject {
 public:
  explicit ScaleColumnGround(QWidget* column) : QObject(column), m_column(column) {
    column->installEventFilter(this);
    Apply();
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == m_column && event->type() == QEvent::PaletteChange) Apply();
    return false;
  }

 private:
  void Apply() {
    const QWidget* panel = m_column->parentWidget();
    const bool dark = IsDark(panel != nullptr ? panel->palette() : QPalette());
    // Setting the column's palette comes back here as a change of its own.
    if (m_dark == dark) return;
    m_dark = dark;
    m_column->setAutoFillBackground(dark);
    if (!dark) {
      m_column->setPalette(QPalette());
      return;
    }
    const QPalette light = m_column->style()->standardPalette();
    QPalette palette;
    palette.setColor(QPalette::Window, light.color(QPalette::Window));
    palette.setColor(QPalette::WindowText, light.color(QPalette::WindowText));
    m_column->setPalette(palette);
  }

  QWidget* m_column;
  std::optional<bool> m_dark;
};

}  // namespace

// Owned by the column, so it goes with it.
void GiveScaleColumnItsGround(QWidget* column) { new ScaleColumnGround(column); }

}  // namespace app
