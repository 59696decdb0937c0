#include "app/Logo.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace app {

QImage BuiltInLogo() {
  QImage image(160, 65, QImage::Format_RGB888);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);

  const QColor green(0, 128, 0);
  const QColor navy(0, 0, 128);

  // Sensor body and its Fresnel dome.
  painter.setPen(QPen(navy, 2));
  painter.setBrush(QColor(230, 236, 245));
  painter.drawRoundedRect(QRectF(8, 38, 44, 20), 3, 3);
  painter.setBrush(QColor(250, 250, 250));
  painter.drawChord(QRectF(12, 18, 36, 40), 0, 180 * 16);
  for (int i = 1; i < 4; ++i) painter.drawLine(QPointF(12 + i * 9, 38), QPointF(12 + i * 9, 22 + std::abs(2 - i) * 4));

  // A decaying swing as the sensor sees a passing warm body.
  QPainterPath wave;
  wave.moveTo(60, 34);
  for (int x = 60; x <= 152; ++x) {
    const double t = (x - 60) / 92.0;
    wave.lineTo(x, 34 - 22 * std::exp(-3.0 * t) * std::sin(t * 4 * 3.14159265358979));
  }
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(green, 2.5));
  painter.drawPath(wave);
  painter.setPen(QPen(QColor(192, 192, 192), 1, Qt::DashLine));
  painter.drawLine(QPointF(60, 34), QPointF(152, 34));
  return image;
}

}  // namespace app
