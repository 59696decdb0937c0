#include "review/DensityPlot.h"

#include <QFontMetricsF>
#include <QObject>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/WelchDensity.h"
#include "display/Truncation.h"

namespace review {

namespace {

/// The dB range of the filter's axis: its pass band at the top, 60 dB of its
/// stop band below (the lowest bins of a fine resolution fall about there).
constexpr double kDbTop = 10;
constexpr double kDbBottom = -60;
constexpr double kDbStep = 20;
/// Points of the filter's curve across the plot.
constexpr int kFilterPoints = 200;

const QColor kGrid(225, 225, 225);
const QColor kMinorGrid(242, 242, 242);
const QColor kBand(255, 240, 190);
const QColor kMark(170, 40, 40);
const QColor kFilter(120, 120, 120);

/// A logarithmic axis from lo to hi (both > 0) onto pixels from p0 to p1.
struct LogAxis {
  double lo = 1;
  double hi = 10;
  double p0 = 0;
  double p1 = 1;

  double Map(double value) const {
    return p0 + (std::log10(value) - std::log10(lo)) / (std::log10(hi) - std::log10(lo)) * (p1 - p0);
  }
  /// The whole decades d with lo <= 10^d <= hi (with a little slack for rounding).
  std::vector<int> Decades() const {
    std::vector<int> decades;
    const int first = disp::TruncToInt32(std::ceil(std::log10(lo) - 1e-9));
    const int last = disp::TruncToInt32(std::floor(std::log10(hi) + 1e-9));
    for (int d = first; d <= last; ++d) decades.push_back(d);
    return decades;
  }
};

/// The decade label: "0.01", "1", "100", "1e-05".
QString DecadeText(int decade) { return QString::number(std::pow(10.0, decade), 'g', 6); }

/// The density axis's range: whole decades around the curves' values, at
/// most kDensityDecades below the highest one.
void DensityRange(const std::vector<DensityCurve>& curves, double& lo, double& hi) {
  double top = 0;
  double bottom = std::numeric_limits<double>::infinity();
  for (const DensityCurve& curve : curves) {
    for (double d : curve.densities) {
      if (!(d > 0) || !std::isfinite(d)) continue;
      top = std::max(top, d);
      bottom = std::min(bottom, d);
    }
  }
  if (!(top > 0)) {
    lo = 0.1;
    hi = 1;
    return;
  }
  bottom = std::max(bottom, top * std::pow(10.0, -kDensityDecades));
  hi = std::pow(10.0, std::ceil(std::log10(top)));
  lo = std::pow(10.0, std::floor(std::log10(bottom)));
  if (lo >= hi) lo = hi / 10;
}

class DensityPainter {
 public:
  DensityPainter(QPainter& painter, const QRectF& area, const DensityPicture& picture)
      : m_painter(painter), m_area(area), m_picture(picture), m_metrics(painter.font()) {}

  void Draw() {
    m_painter.fillRect(m_area, Qt::white);
    if (!Layout()) {
      m_painter.setPen(Qt::darkGray);
      m_painter.drawText(m_area, Qt::AlignCenter | Qt::TextWordWrap, m_picture.hint);
      return;
    }
    m_painter.save();
    m_painter.setClipRect(m_plot);
    DrawBand();
    DrawGrid();
    DrawFilter();
    DrawCurves();
    DrawMarks();
    m_painter.restore();
    DrawLabels();
    m_painter.setPen(Qt::black);
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawRect(m_plot);
  }

 private:
  /// Places the plot and its axes; false when there is nothing to plot or no room.
  bool Layout() {
    double fLo = std::numeric_limits<double>::infinity();
    double fHi = 0;
    for (const DensityCurve& curve : m_picture.curves) {
      if (curve.frequencies.empty()) continue;
      fLo = std::min(fLo, curve.frequencies.front());
      fHi = std::max(fHi, curve.frequencies.back());
    }
    if (!(fLo > 0) || !(fHi > fLo)) return false;
    const double line = m_metrics.height();
    const double left = m_metrics.horizontalAdvance(QStringLiteral("0.0001")) + line * 0.6;
    const double right =
        m_picture.sampleRate > 0 ? m_metrics.horizontalAdvance(QStringLiteral("-60 dB")) + line * 0.6 : line;
    m_plot = QRectF(m_area.left() + left, m_area.top() + line * 1.4, m_area.width() - left - right,
                    m_area.height() - line * 3.8);
    if (m_plot.width() < 20 || m_plot.height() < 20) return false;
    m_x = {fLo, fHi, m_plot.left(), m_plot.right()};
    double dLo = 0;
    double dHi = 0;
    DensityRange(m_picture.curves, dLo, dHi);
    m_y = {dLo, dHi, m_plot.bottom(), m_plot.top()};
    return true;
  }

  void DrawBand() {
    if (!(m_picture.bandTo > m_picture.bandFrom) || !(m_picture.bandTo > 0)) return;
    const double from = m_picture.bandFrom > 0 ? m_x.Map(m_picture.bandFrom) : m_plot.left();
    const double to = m_x.Map(m_picture.bandTo);
    m_painter.fillRect(QRectF(from, m_plot.top(), to - from, m_plot.height()), kBand);
  }

  /// Lines at each decade and, lighter, at 2..9 times it.
  void DrawLogGrid(const LogAxis& axis, bool vertical) {
    const std::vector<int> decades = axis.Decades();
    const int first = decades.empty() ? disp::TruncToInt32(std::floor(std::log10(axis.lo))) : decades.front() - 1;
    const int last = decades.empty() ? first : decades.back();
    for (int d = first; d <= last; ++d) {
      for (int m = 1; m <= 9; ++m) {
        const double value = m * std::pow(10.0, d);
        if (value < axis.lo || value > axis.hi) continue;
        m_painter.setPen(QPen(m == 1 ? kGrid : kMinorGrid, 0));
        const double p = axis.Map(value);
        if (vertical) {
          m_painter.drawLine(QPointF(p, m_plot.top()), QPointF(p, m_plot.bottom()));
        } else {
          m_painter.drawLine(QPointF(m_plot.left(), p), QPointF(m_plot.right(), p));
        }
      }
    }
  }

  void DrawGrid() {
    DrawLogGrid(m_x, true);
    DrawLogGrid(m_y, false);
  }

  double DbY(double db) const { return m_plot.top() + (kDbTop - db) / (kDbTop - kDbBottom) * m_plot.height(); }

  void DrawFilter() {
    if (!(m_picture.sampleRate > 0)) return;
    QPolygonF curve;
    for (int i = 0; i <= kFilterPoints; ++i) {
      const double f = m_x.lo * std::pow(m_x.hi / m_x.lo, static_cast<double>(i) / kFilterPoints);
      const double magnitude = analysis::AcFilterMagnitude(f, m_picture.sampleRate);
      // Below the axis' floor the curve only has to leave the plot.
      const double db = magnitude > 0 ? std::max(20 * std::log10(magnitude), kDbBottom - 10) : kDbBottom - 10;
      curve << QPointF(m_x.Map(f), DbY(db));
    }
    m_painter.setPen(QPen(kFilter, 0, Qt::DashLine));
    m_painter.drawPolyline(curve);
  }

  /// A curve with its bins gathered per pixel column: a fine resolution puts
  /// thousands of bins into the top decade's few hundred columns.
  void DrawCurve(const DensityCurve& curve) {
    QPolygonF points;
    const double floorValue = m_y.lo / 10;
    bool open = false;
    int column = 0;
    double low = 0;
    double high = 0;
    double x = 0;
    auto flush = [&] {
      if (!open) return;
      points << QPointF(x, high);
      if (low != high) points << QPointF(x, low);
    };
    const size_t n = std::min(curve.frequencies.size(), curve.densities.size());
    for (size_t k = 0; k < n; ++k) {
      const double density = curve.densities[k] > floorValue ? curve.densities[k] : floorValue;
      const double px = m_x.Map(curve.frequencies[k]);
      const double py = m_y.Map(density);
      const int c = disp::TruncToInt32(px);
      if (open && c == column) {
        low = std::max(low, py);
        high = std::min(high, py);
        continue;
      }
      flush();
      open = true;
      column = c;
      x = px;
      low = high = py;
    }
    flush();
    m_painter.setPen(QPen(curve.color, 0));
    m_painter.drawPolyline(points);
  }

  void DrawCurves() {
    for (const DensityCurve& curve : m_picture.curves) DrawCurve(curve);
  }

  void DrawMarks() {
    const double line = m_metrics.height();
    for (size_t i = 0; i < m_picture.marks.size(); ++i) {
      const DensityMark& mark = m_picture.marks[i];
      if (mark.frequency < m_x.lo || mark.frequency > m_x.hi) continue;
      const double x = m_x.Map(mark.frequency);
      m_painter.setPen(QPen(kMark, 0, Qt::DotLine));
      m_painter.drawLine(QPointF(x, m_plot.top()), QPointF(x, m_plot.bottom()));
      // Staggered, so marks close together keep their labels apart; to the
      // left of lines near the right edge.
      const double width = m_metrics.horizontalAdvance(mark.label);
      const double textX = x + 2 + width > m_plot.right() ? x - 2 - width : x + 2;
      const double textY = m_plot.top() + line * (1.0 + static_cast<double>(i % 3));
      m_painter.setPen(kMark);
      m_painter.drawText(QPointF(textX, textY), mark.label);
    }
  }

  void DrawLabels() {
    m_painter.setPen(Qt::black);
    const double line = m_metrics.height();
    for (int d : m_x.Decades()) {
      const QString text = DecadeText(d);
      const double x = m_x.Map(std::pow(10.0, d));
      m_painter.drawText(QPointF(x - m_metrics.horizontalAdvance(text) / 2, m_plot.bottom() + line), text);
    }
    for (int d : m_y.Decades()) {
      const QString text = DecadeText(d);
      const double y = m_y.Map(std::pow(10.0, d));
      m_painter.drawText(QPointF(m_plot.left() - 4 - m_metrics.horizontalAdvance(text), y + m_metrics.ascent() / 2),
                         text);
    }
    const QString xTitle = QObject::tr("Frequency (Hz)");
    m_painter.drawText(
        QPointF(m_plot.center().x() - m_metrics.horizontalAdvance(xTitle) / 2, m_plot.bottom() + line * 2), xTitle);
    m_painter.drawText(QPointF(m_area.left() + 2, m_area.top() + line), QObject::tr("AC density, counts/\u221AHz"));
    if (!(m_picture.sampleRate > 0)) return;
    m_painter.setPen(kFilter);
    const QString filterTitle = QObject::tr("- - AC filter |H| (dB)");
    m_painter.drawText(QPointF(m_area.right() - 2 - m_metrics.horizontalAdvance(filterTitle), m_area.top() + line),
                       filterTitle);
    for (double db = kDbTop - kDbStep / 2; db >= kDbBottom; db -= kDbStep) {
      m_painter.drawText(QPointF(m_plot.right() + 4, DbY(db) + m_metrics.ascent() / 2), QString::number(db));
    }
  }

  QPainter& m_painter;
  QRectF m_area;
  const DensityPicture& m_picture;
  QFontMetricsF m_metrics;
  QRectF m_plot;
  LogAxis m_x;
  LogAxis m_y;
};

}  // namespace

void DrawDensity(QPainter& painter, const QRectF& area, const DensityPicture& picture) {
  DensityPainter(painter, area, picture).Draw();
}

}  // namespace review
