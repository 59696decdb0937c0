#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <functional>

class QPainter;

namespace app {

/// The panel the scope picture is shown on. It paints nothing itself: its
/// paint event hands a painter to OnPaint, which copies the picture 1:1.
class ScopePanel : public QWidget {
 public:
  /// Shortest time between two repaints: about what a display shows per second.
  static constexpr int kMinRepaintIntervalMs = 16;

  explicit ScopePanel(QWidget* parent);

  /// Asks for a repaint. Requests closer together than a display refresh are
  /// merged into one that follows shortly, so every request reaches the screen
  /// while the number of repaints stays bounded whatever the data rate.
  void RequestRepaint();

  std::function<void(QPainter&)> OnPaint;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QElapsedTimer m_sinceRepaint;
  QTimer m_deferred;
};

}  // namespace app
