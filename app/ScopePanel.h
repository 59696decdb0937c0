#pragma once

#include <QElapsedTimer>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <functional>

class QPainter;

namespace app {

/// The panel the scope picture is shown on. It paints nothing itself: its
/// paint event hands a painter to OnPaint, which copies the picture 1:1.
/// Repaints cover only ChangedArea, the part of the picture that differs
/// from what the panel last painted, so the window system gets no more.
class ScopePanel : public QWidget {
 public:
  /// Shortest time between two repaints: about what a display shows per second.
  static constexpr int kMinRepaintIntervalMs = 16;
  /// Once the last repaint is this old, a waiting repaint rides on the next
  /// data notification (RepaintIfDue). Each repaint costs about as much as
  /// the notifications of a few frames, so the screen follows a stream some
  /// 35 times a second rather than at the display's full rate.
  static constexpr int kRideIntervalMs = 25;
  /// Longest time between two repaints while changes wait: a change reaches
  /// the screen within it, and a steady stream is shown at least 33 times a
  /// second.
  static constexpr int kMaxRepaintIntervalMs = 30;
  static_assert(kMinRepaintIntervalMs <= kRideIntervalMs && kRideIntervalMs <= kMaxRepaintIntervalMs);

  explicit ScopePanel(QWidget* parent);

  /// Asks for the changed area to be painted: by RepaintIfDue, or else by a
  /// timer kMaxRepaintIntervalMs after the last paint (at once if that has
  /// passed). Requests until then are merged into that one paint, so every
  /// change reaches the screen while the number of repaints stays bounded
  /// whatever the data rate.
  void RequestRepaint();

  /// Paints a requested repaint now if the last paint is at least
  /// kRideIntervalMs old. Called after each data notification, when the
  /// program is awake anyway, it spares the wake-up of the timer.
  void RepaintIfDue();

  std::function<void(QPainter&)> OnPaint;
  /// The part of the panel whose picture changed since the last paint; the
  /// whole panel when not set.
  std::function<QRect()> ChangedArea;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void PaintChanges();
  qint64 SinceRepaintMs() const;

  QElapsedTimer m_sinceRepaint;
  QTimer m_due;
  QRect m_unshown;  ///< changes a paint took in but did not show
};

}  // namespace app
