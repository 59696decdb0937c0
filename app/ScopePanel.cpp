#include "app/ScopePanel.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace app {

ScopePanel::ScopePanel(QWidget* parent) : QWidget(parent) {
  // The picture covers the whole panel, so nothing needs erasing first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  m_due.setSingleShot(true);
  // A coarse timer may fire a few milliseconds late, past the longest interval.
  m_due.setTimerType(Qt::PreciseTimer);
  connect(&m_due, &QTimer::timeout, this, [this] { PaintChanges(); });
}

qint64 ScopePanel::SinceRepaintMs() const {
  return m_sinceRepaint.isValid() ? m_sinceRepaint.elapsed() : kMaxRepaintIntervalMs;
}

void ScopePanel::RequestRepaint() {
  if (m_due.isActive()) return;
  // Even a paint that is due at once waits for the event loop: the request
  // may come from the middle of drawing.
  m_due.start(static_cast<int>(std::max<qint64>(0, kMaxRepaintIntervalMs - SinceRepaintMs())));
}

void ScopePanel::RepaintIfDue() {
  if (!m_due.isActive() || SinceRepaintMs() < kRideIntervalMs) return;
  m_due.stop();
  PaintChanges();
}

void ScopePanel::PaintChanges() {
  const QRect area = (ChangedArea ? ChangedArea() : rect()) | m_unshown;
  m_unshown = QRect();
  // At once rather than at the toolkit's next turn: nothing can draw in
  // between, so the paint shows exactly the area asked for.
  if (!area.isEmpty()) repaint(area);
}

void ScopePanel::paintEvent(QPaintEvent* event) {
  m_sinceRepaint.start();
  const QRect changed = ChangedArea ? ChangedArea() : QRect();
  QPainter painter(this);
  if (OnPaint) OnPaint(painter);
  // A paint the system asks for (an uncovered part of the window) takes in
  // every change but shows only its own region; the rest must follow.
  const QRegion unshown = QRegion(changed) - event->region();
  if (unshown.isEmpty()) return;
  m_unshown |= unshown.boundingRect();
  RequestRepaint();
}

}  // namespace app
