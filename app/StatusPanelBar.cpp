#include "app/StatusPanelBar.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace app {

StatusPanelBar::StatusPanelBar(QWidget* parent) : QWidget(parent) {}

void StatusPanelBar::SetPanelWidth(int panel, int width) {
  Panel& p = m_panels.at(static_cast<size_t>(panel));
  if (p.width == width) return;
  p.width = width;
  update();
}

void StatusPanelBar::SetPanelText(int panel, const QString& text) {
  Panel& p = m_panels.at(static_cast<size_t>(panel));
  if (p.text == text) return;
  p.text = text;
  update(PanelRect(panel));
}

QRect StatusPanelBar::PanelRect(int panel) const {
  int left = 0;
  for (int i = 0; i < panel; ++i) left += m_panels[static_cast<size_t>(i)].width;
  const bool last = panel == kPanelCount - 1;
  const int width = last ? std::max(0, this->width() - left) : m_panels[static_cast<size_t>(panel)].width;
  return QRect(left, 0, width, height());
}

void StatusPanelBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  for (int i = 0; i < kPanelCount; ++i) {
    const QRect r = PanelRect(i);
    if (r.width() <= 0) continue;
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.rect = r.adjusted(0, 0, -2, 0);
    frame.lineWidth = 1;
    frame.state |= QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_Frame, &frame, &painter, this);
    painter.drawText(r.adjusted(3, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, m_panels[static_cast<size_t>(i)].text);
  }
}

void StatusPanelBar::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (OnClick) OnClick();
}

}  // namespace app
