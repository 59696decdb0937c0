#include "app/Logo.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>
#include <cmath>

namespace app {

namespace {

const QColor kGreen(0, 128, 0);
const QColor kNavy(0, 0, 128);

/// Where the two parts of the artwork go: the sensor (body below, dome above)
/// and the decaying swing the sensor sees as a warm body passes.
struct Placement {
  QRectF sensor;
  QRectF wave;
  double penScale;
};

QPointF At(const QRectF& box, double x, double y) {
  return {box.left() + x * box.width(), box.top() + y * box.height()};
}

void PaintSensor(QPainter& painter, const QRectF& box, double penScale) {
  painter.setPen(QPen(kNavy, 2 * penScale));
  painter.setBrush(QColor(230, 236, 245));
  const double radius = 3 * penScale;
  painter.drawRoundedRect(QRectF(At(box, 0, 0.5), At(box, 1, 1)), radius, radius);
  // The Fresnel dome: the upper half of an ellipse that rests on the body.
  painter.setBrush(QColor(250, 250, 250));
  const QRectF dome(At(box, 4.0 / 44, 0), At(box, 40.0 / 44, 1));
  painter.drawChord(dome, 0, 180 * 16);
  for (int i = 1; i < 4; ++i) {
    const double x = (4.0 + 9 * i) / 44;
    painter.drawLine(At(box, x, 0.5), At(box, x, (4.0 + std::abs(2 - i) * 4) / 40));
  }
}

void PaintWave(QPainter& painter, const QRectF& box, double penScale) {
  QPainterPath wave;
  wave.moveTo(At(box, 0, 0.5));
  const int steps = std::max(8, static_cast<int>(box.width()));
  for (int step = 1; step <= steps; ++step) {
    const double t = static_cast<double>(step) / steps;
    wave.lineTo(At(box, t, 0.5 - 0.5 * std::exp(-3.0 * t) * std::sin(t * 4 * 3.14159265358979)));
  }
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(kGreen, 2.5 * penScale));
  painter.drawPath(wave);
  painter.setPen(QPen(QColor(192, 192, 192), penScale, Qt::DashLine));
  painter.drawLine(At(box, 0, 0.5), At(box, 1, 0.5));
}

void PaintArtwork(QImage& image, const Placement& placement) {
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  PaintSensor(painter, placement.sensor, placement.penScale);
  PaintWave(painter, placement.wave, placement.penScale);
}

}  // namespace

QImage BuiltInLogo() {
  QImage image(160, 65, QImage::Format_RGB888);
  image.fill(Qt::white);
  PaintArtwork(image, {QRectF(8, 18, 44, 40), QRectF(60, 12, 92, 44), 1.0});
  return image;
}

QImage ApplicationIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  const double s = size;
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(160, 160, 160), std::max(1.0, s / 64)));
    painter.setBrush(Qt::white);
    const double inset = std::max(0.5, s / 64);
    painter.drawRoundedRect(QRectF(inset, inset, s - 2 * inset, s - 2 * inset), s * 0.16, s * 0.16);
  }
  // Small sizes keep their strokes at least a pixel wide.
  const double penScale = std::max(0.6, s / 80);
  PaintArtwork(image, {QRectF(0.27 * s, 0.46 * s, 0.46 * s, 0.42 * s), QRectF(0.12 * s, 0.10 * s, 0.76 * s, 0.38 * s),
                       penScale});
  return image;
}

QIcon ApplicationIcon() {
  QIcon icon;
  for (int size : kApplicationIconSizes) icon.addPixmap(QPixmap::fromImage(ApplicationIconImage(size)));
  return icon;
}

}  // namespace app
