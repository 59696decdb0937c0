#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "review/LogFollower.h"
#include "review/TracePlot.h"

namespace review {

/// The plot of one log on screen, with zoom and pan: the wheel zooms about
/// the pointer, a left drag pans, a right drag (or Shift with a left drag)
/// selects a span, the arrow keys pan; ZoomBy, ShowWholeLog and
/// ZoomToSelection serve the window's keys. While following, the view keeps the end
/// of the log in sight as it grows; zooming or panning stops following.
class TraceView : public QWidget {
 public:
  explicit TraceView(QWidget* parent = nullptr);

  /// Shows the log read by `follower` (none: an empty view).
  void SetLog(std::shared_ptr<LogFollower> follower);
  /// The plot's settings, for drawing the same view elsewhere.
  const PlotView& View() const { return m_view; }
  PlotView& MutableView() { return m_view; }

  void SetFollowing(bool follow);
  /// Called with the new state whenever following starts or stops.
  void OnFollowingChanged(std::function<void(bool)> handler) { m_followingChanged = std::move(handler); }
  /// Called whenever the shown span, the selection or the log's frames change.
  void OnSpanChanged(std::function<void()> handler) { m_spanChanged = std::move(handler); }
  /// Takes in frames that arrived: while following, the view moves with the log's end.
  void LogGrew();

  void ZoomBy(double factor, double anchorFraction = 0.5);
  void PanBy(double fraction);
  void ShowWholeLog();
  void ZoomToSelection();
  bool HasSelection() const { return m_view.selectionEnd > m_view.selectionStart; }
  /// The span the panels measure, in seconds from the log's start: the selection, or the whole view without one.
  void MeasuredSpan(double& from, double& to) const;
  /// Moves the shown span, unzoomed, so that `time` (seconds from the log's start) is in its middle; stops following.
  void CentreOn(double time);
  /// The time under the mouse pointer, seconds from the log's start; none when the pointer is not over the traces.
  std::optional<double> PointerTime() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  /// The log's duration in seconds (at least one second).
  double Duration() const;
  /// Time at a widget x.
  double TimeAt(double x) const;
  /// Keeps the span between a few frames and a little more than the log.
  void Clamp();
  void StopFollowing();
  /// Repaints and tells the window that the span or selection changed.
  void Changed();

  std::shared_ptr<LogFollower> m_follower;
  PlotView m_view;
  std::function<void(bool)> m_followingChanged;
  std::function<void()> m_spanChanged;
  bool m_follow = true;
  bool m_whole = true;
  enum class Drag { None, Pan, Select } m_drag = Drag::None;
  double m_dragX = 0;
  double m_dragStart = 0;
};

}  // namespace review
