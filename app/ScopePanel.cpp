#include "app/ScopePanel.h"

#include <QPainter>

namespace app {

ScopePanel::ScopePanel(QWidget* parent) : QWidget(parent) {
  // The picture covers the whole panel, so nothing needs erasing first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  m_deferred.setSingleShot(true);
  connect(&m_deferred, &QTimer::timeout, this, [this] { update(); });
}

void ScopePanel::RequestRepaint() {
  if (m_deferred.isActive()) return;
  const qint64 since = m_sinceRepaint.isValid() ? m_sinceRepaint.elapsed() : kMinRepaintIntervalMs;
  if (since >= kMinRepaintIntervalMs) {
    update();
    return;
  }
  m_deferred.start(static_cast<int>(kMinRepaintIntervalMs - since));
}

void ScopePanel::paintEvent(QPaintEvent*) {
  m_sinceRepaint.start();
  QPainter painter(this);
  if (OnPaint) OnPaint(painter);
}

}  // namespace app
