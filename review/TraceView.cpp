#include "review/TraceView.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace review {

namespace {
/// Narrowest span shown, seconds: a few frames at the board's rate.
constexpr double kMinSpan = 0.005;
}  // namespace

TraceView::TraceView(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(480, 320);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TraceView::SetLog(std::shared_ptr<LogFollower> follower) {
  m_follower = std::move(follower);
  m_view.selectionStart = m_view.selectionEnd = 0;
  m_whole = true;
  LogGrew();
}

void TraceView::SetFollowing(bool follow) {
  if (follow == m_follow) return;
  m_follow = follow;
  LogGrew();
  if (m_followingChanged) m_followingChanged(m_follow);
}

void TraceView::StopFollowing() {
  m_whole = false;
  SetFollowing(false);
}

void TraceView::Changed() {
  update();
  if (m_spanChanged) m_spanChanged();
}

double TraceView::Duration() const {
  if (!m_follower) return 1;
  const auto lock = m_follower->Lock();
  return std::max(1.0, m_follower->Session().Times().Duration());
}

void TraceView::LogGrew() {
  if (m_follow) {
    const double duration = Duration();
    if (m_whole) {
      m_view.start = 0;
      m_view.span = duration;
    } else {
      m_view.start = duration - m_view.span;
    }
  }
  Changed();
}

double TraceView::TimeAt(double x) const {
  const QRectF area = TraceArea(rect(), font());
  const double fraction = area.width() > 0 ? (x - area.left()) / area.width() : 0;
  return m_view.start + fraction * m_view.span;
}

void TraceView::Clamp() {
  const double duration = Duration();
  m_view.span = std::clamp(m_view.span, kMinSpan, duration * 1.2);
  m_view.start = std::clamp(m_view.start, -m_view.span * 0.5, duration - m_view.span * 0.5);
}

void TraceView::ZoomBy(double factor, double anchorFraction) {
  const double anchor = m_view.start + anchorFraction * m_view.span;
  m_view.span *= factor;
  m_view.start = anchor - anchorFraction * m_view.span;
  StopFollowing();
  Clamp();
  Changed();
}

void TraceView::PanBy(double fraction) {
  m_view.start += fraction * m_view.span;
  StopFollowing();
  Clamp();
  Changed();
}

void TraceView::ShowWholeLog() {
  m_view.start = 0;
  m_view.span = Duration();
  m_whole = true;
  Changed();
}

void TraceView::MeasuredSpan(double& from, double& to) const {
  from = HasSelection() ? m_view.selectionStart : m_view.start;
  to = HasSelection() ? m_view.selectionEnd : m_view.start + m_view.span;
}

void TraceView::ZoomToSelection() {
  if (!HasSelection()) return;
  m_view.start = m_view.selectionStart;
  m_view.span = m_view.selectionEnd - m_view.selectionStart;
  StopFollowing();
  Clamp();
  Changed();
}

void TraceView::CentreOn(double time) {
  m_view.start = time - m_view.span / 2;
  StopFollowing();
  Clamp();
  Changed();
}

std::optional<double> TraceView::PointerTime() const {
  const QPointF at = mapFromGlobal(QCursor::pos());
  if (!TraceArea(rect(), font()).contains(at)) return std::nullopt;
  return TimeAt(at.x());
}

void TraceView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!m_follower) {
    painter.fillRect(rect(), Qt::white);
    painter.drawText(rect(), Qt::AlignCenter,
                     tr("Open a log with File > Open, drop one here, or name it on the command line."));
    return;
  }
  const auto lock = m_follower->Lock();
  DrawPlot(painter, rect(), m_follower->Session(), m_view);
}

void TraceView::wheelEvent(QWheelEvent* event) {
  const QRectF area = TraceArea(rect(), font());
  const double fraction = area.width() > 0 ? (event->position().x() - area.left()) / area.width() : 0.5;
  const double notches = event->angleDelta().y() / 120.0;
  ZoomBy(std::pow(0.8, notches), std::clamp(fraction, 0.0, 1.0));
  event->accept();
}

void TraceView::mousePressEvent(QMouseEvent* event) {
  m_dragX = event->position().x();
  const bool select = event->button() == Qt::RightButton ||
                      (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier));
  m_drag = select ? Drag::Select : (event->button() == Qt::LeftButton ? Drag::Pan : Drag::None);
  if (m_drag == Drag::Select) {
    m_dragStart = TimeAt(m_dragX);
    m_view.selectionStart = m_view.selectionEnd = m_dragStart;
    Changed();
  }
}

void TraceView::mouseMoveEvent(QMouseEvent* event) {
  const double x = event->position().x();
  if (m_drag == Drag::Pan) {
    const QRectF area = TraceArea(rect(), font());
    if (area.width() > 0) PanBy((m_dragX - x) / area.width());
    m_dragX = x;
  } else if (m_drag == Drag::Select) {
    const double t = TimeAt(x);
    m_view.selectionStart = std::min(m_dragStart, t);
    m_view.selectionEnd = std::max(m_dragStart, t);
    Changed();
  }
}

void TraceView::mouseReleaseEvent(QMouseEvent*) { m_drag = Drag::None; }

void TraceView::keyPressEvent(QKeyEvent* event) {
  // Zoom keys are the window's shortcuts; panning belongs to the view.
  switch (event->key()) {
    case Qt::Key_Left:
      PanBy(-0.25);
      break;
    case Qt::Key_Right:
      PanBy(0.25);
      break;
    default:
      QWidget::keyPressEvent(event);
  }
}

}  // namespace review
