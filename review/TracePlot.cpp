#include "review/TracePlot.h"

#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>
#include <QVector>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "analysis/ColumnStrokes.h"
#include "analysis/TimeTicks.h"
#include "analysis/TraceColumns.h"
#include "display/ScopeGeometry.h"
#include "display/Truncation.h"
#include "review/TraceColors.h"

namespace review {

namespace {

using analysis::Trace;

/// A pane of the plot: one trace kind of every shown channel.
struct Pane {
  Trace trace;
  QRectF rect;
  QString name;
};

/// Seconds from a log's start that a view can reach, with room to spare:
/// far beyond any log, and far within what a second count adds up to.
constexpr double kFarSeconds = 1e12;

/// The wall-clock text of t seconds after a local second, with the given
/// fraction digits: "hh:mm:ss.fff".
QString WallClockText(int64_t startSecond, double t, int decimals) {
  // Rounded to the digits shown first, so that 0.9996 s reads as the next second.
  const double scale = std::pow(10.0, decimals);
  const double rounded = std::round(std::clamp(t, -kFarSeconds, kFarSeconds) * scale) / scale;
  const double whole = std::floor(rounded);
  const int64_t second = startSecond + disp::TruncToInt64(whole);
  QString text = QString::fromStdString(analysis::TimeOfDayText(second));
  if (decimals > 0) text += QString::number(rounded - whole, 'f', decimals).mid(1);
  return text;
}

/// The pixel halfway between two, without overflow.
int Middle(int a, int b) { return static_cast<int>((int64_t{a} + b) / 2); }

class PlotPainter {
 public:
  PlotPainter(QPainter& painter, const QRectF& area, const analysis::LogSession& session, const PlotView& view)
      : m_painter(painter), m_area(area), m_session(session), m_view(view), m_traces(TraceArea(area, painter.font())) {}

  void Draw() {
    m_painter.fillRect(m_area, Qt::white);
    DrawTitle();
    if (m_session.Frames() == 0 || m_traces.width() < 1 || m_view.span <= 0) return;
    m_span.start = m_view.start;
    m_span.width = disp::TruncToInt32(m_traces.width());
    m_span.step = m_view.span / m_span.width;
    m_bounds = analysis::ColumnBounds(m_session.Times(), m_span);
    DrawMarkedSpans();
    DrawSelection();
    const auto panes = Panes();
    for (const Pane& pane : panes) DrawPane(pane);
    DrawEvents(panes);
    DrawUserMarks();
    DrawTimeAxis();
  }

 private:
  double LineHeight() const { return QFontMetricsF(m_painter.font()).height(); }

  void DrawTitle() {
    const double line = LineHeight();
    m_painter.setPen(Qt::black);
    QString title = m_view.title;
    if (m_session.Frames() > 0) {
      const int64_t start = m_session.Times().StartSecond();
      const double from = std::max(0.0, m_view.start);
      const double to = std::min(m_session.Times().Duration(), m_view.start + m_view.span);
      const int64_t dayOf = start + disp::TruncToInt64(std::floor(std::min(from, kFarSeconds)));
      title += QString("   %1 %2 to %3   (%4 s to %5 s, %6 channels, %7 frames)")
                   .arg(QString::fromStdString(analysis::CivilDateText(dayOf / analysis::kSecondsPerDay)))
                   .arg(WallClockText(start, from, 0), WallClockText(start, to, 0))
                   .arg(from, 0, 'f', 3)
                   .arg(to, 0, 'f', 3)
                   .arg(m_session.Channels())
                   .arg(m_session.Frames());
    }
    m_painter.drawText(QRectF(m_area.left() + 4, m_area.top(), m_area.width() - 8, line), Qt::AlignLeft, title);
    double x = m_traces.left();
    const double y = m_area.top() + line * 1.1;
    for (int channel = 1; channel <= m_session.Channels(); ++channel) {
      if (!m_view.channels[static_cast<size_t>(channel - 1)]) continue;
      for (const Trace trace : {Trace::Dc, Trace::Ac}) {
        if ((trace == Trace::Dc && !m_view.dc) || (trace == Trace::Ac && !m_view.ac)) continue;
        m_painter.fillRect(QRectF(x, y + line * 0.3, line * 0.8, line * 0.4), TraceColor(channel, trace));
        x += line;
        const QString label = QString("%1 %2").arg(channel).arg(trace == Trace::Dc ? "DC" : "AC");
        m_painter.setPen(Qt::black);
        m_painter.drawText(QPointF(x, y + line * 0.8), label);
        x += QFontMetricsF(m_painter.font()).horizontalAdvance(label) + line * 0.8;
      }
    }
  }

  std::vector<Pane> Panes() const {
    std::vector<Pane> panes;
    if (m_view.dc) panes.push_back({Trace::Dc, {}, "DC"});
    if (m_view.ac) panes.push_back({Trace::Ac, {}, "AC"});
    if (m_view.temperatures && m_session.HasTemperatures())
      panes.push_back({Trace::Temperature, {}, QString::fromUtf8("\u00B0C")});
    double weights = 0;
    for (const Pane& pane : panes) weights += pane.trace == Trace::Temperature ? 0.5 : 1;
    const double gap = LineHeight() * 1.2;
    const double height = m_traces.height() - gap * static_cast<double>(panes.size());
    double top = m_traces.top();
    for (Pane& pane : panes) {
      const double h = height * (pane.trace == Trace::Temperature ? 0.5 : 1) / weights;
      pane.rect = QRectF(m_traces.left(), top, m_traces.width(), h);
      top += h + gap;
    }
    return panes;
  }

  void DrawSelection() {
    if (m_view.selectionEnd <= m_view.selectionStart) return;
    const double left = XOf(std::max(m_view.selectionStart, m_view.start));
    const double right = XOf(std::min(m_view.selectionEnd, m_view.start + m_view.span));
    if (right > left)
      m_painter.fillRect(QRectF(left, m_traces.top(), right - left, m_traces.height()), QColor(255, 240, 190));
  }

  double XOf(double t) const { return m_traces.left() + (t - m_span.start) / m_span.step; }

  /// Fills the part of [from, to] in view across the trace area.
  void FillSpan(double from, double to, const QColor& color) {
    const double left = XOf(std::max(from, m_view.start));
    const double right = XOf(std::min(to, m_view.start + m_view.span));
    // A span narrower than a pixel still shows, as one column.
    if (right >= left) m_painter.fillRect(QRectF(left, m_traces.top(), std::max(1.0, right - left), m_traces.height()), color);
  }

  /// Quiet spans tinted blue-green, walks tinted red, both light enough for the traces to stay readable.
  void DrawMarkedSpans() {
    for (const analysis::TimeSpan& span : m_view.quietSpans) FillSpan(span.from, span.to, QColor(215, 240, 235));
    for (const analysis::TimeSpan& span : m_view.walkSpans) FillSpan(span.from, span.to, QColor(250, 222, 215));
  }

  bool InView(double t) const { return t >= m_view.start && t <= m_view.start + m_view.span; }

  /// A downward triangle per event at the top of the AC pane (or of the
  /// traces when the AC pane is hidden), in its channel's colour.
  void DrawEvents(const std::vector<Pane>& panes) {
    if (m_view.events.empty()) return;
    double top = m_traces.top();
    for (const Pane& pane : panes)
      if (pane.trace == Trace::Ac) top = pane.rect.top();
    const double size = LineHeight() * 0.5;
    // Events come in time order; of those a channel has within a pixel of
    // the last one drawn only the first is drawn, so a detector set to fire
    // on the noise (millions of events) still draws in a moment.
    std::array<double, 8> lastX;
    lastX.fill(-INFINITY);
    m_painter.save();
    m_painter.setRenderHint(QPainter::Antialiasing);
    for (const analysis::DetectorEvent& event : m_view.events) {
      if (!InView(event.time) || event.channel < 1 || event.channel > 8) continue;
      const size_t channel = static_cast<size_t>(event.channel - 1);
      const double x = XOf(event.time);
      if (!m_view.channels[channel] || std::abs(x - lastX[channel]) < 1) continue;
      lastX[channel] = x;
      const QPointF triangle[] = {{x - size / 2, top}, {x + size / 2, top}, {x, top + size}};
      m_painter.setPen(QPen(Qt::black, 0));
      m_painter.setBrush(TraceColor(event.channel, Trace::Dc));
      m_painter.drawPolygon(triangle, 3);
    }
    m_painter.restore();
  }

  /// A dashed line across the traces per user mark, its label beside its top.
  void DrawUserMarks() {
    m_painter.save();
    for (const analysis::UserMark& mark : m_view.userMarks) {
      if (!InView(mark.time)) continue;
      const double x = XOf(mark.time);
      m_painter.setPen(QPen(QColor(80, 80, 80), 0, Qt::DashLine));
      m_painter.drawLine(QLineF(x, m_traces.top(), x, m_traces.bottom()));
      m_painter.setPen(Qt::black);
      m_painter.drawText(QPointF(x + 3, m_traces.top() + LineHeight()), QString::fromStdString(mark.label));
    }
    m_painter.restore();
  }

  /// Frames in view, or few enough to draw as lines between frames.
  bool FewFrames() const { return m_bounds.back() - m_bounds.front() <= static_cast<uint64_t>(m_span.width); }

  void DrawPane(const Pane& pane) {
    struct Drawn {
      int channel;
      std::vector<analysis::ColumnRange> columns;
    };
    std::vector<Drawn> drawn;
    double low = INFINITY;
    double high = -INFINITY;
    for (int channel = 1; channel <= m_session.Channels(); ++channel) {
      if (!m_view.channels[static_cast<size_t>(channel - 1)]) continue;
      drawn.push_back({channel, analysis::TraceColumns(m_session, channel, pane.trace, m_bounds)});
      for (const auto& column : drawn.back().columns) {
        if (column.empty) continue;
        low = std::min(low, column.low);
        high = std::max(high, column.high);
      }
    }
    m_painter.setPen(QColor(192, 192, 192));
    m_painter.drawRect(pane.rect);
    if (!(low <= high)) return;
    if (high - low < 1e-9) {
      low -= 1;
      high += 1;
    }
    const double margin = (high - low) * 0.05;
    m_low = low - margin;
    m_high = high + margin;
    m_pane = pane.rect;
    DrawValueLabels(pane);
    m_painter.save();
    m_painter.setClipRect(pane.rect);
    for (const Drawn& d : drawn) {
      m_painter.setPen(QPen(TraceColor(d.channel, pane.trace), 0));
      if (FewFrames()) {
        DrawFrames(d.channel, pane.trace);
      } else {
        DrawColumns(d.columns);
      }
    }
    m_painter.restore();
  }

  double YOf(double value) const { return m_pane.bottom() - (value - m_low) / (m_high - m_low) * m_pane.height(); }

  void DrawValueLabels(const Pane& pane) {
    m_painter.setPen(Qt::black);
    const double line = LineHeight();
    const double labelWidth = m_traces.left() - m_area.left() - 6;
    for (const double fraction : {0.0, 0.5, 1.0}) {
      const double value = m_low + (m_high - m_low) * (1 - fraction);
      const double y = pane.rect.top() + pane.rect.height() * fraction;
      m_painter.drawText(QRectF(m_area.left(), y - line / 2, labelWidth, line), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(value, 'g', 6));
    }
    m_painter.drawText(QRectF(m_area.left(), pane.rect.center().y() + line * 0.6, labelWidth, line),
                       Qt::AlignRight | Qt::AlignVCenter, pane.name);
  }

  /// The column strokes of a trace, in whole pixels: the envelope's own
  /// resolution, and integer lines are the painter's fastest.
  void DrawColumns(const std::vector<analysis::ColumnRange>& columns) {
    const analysis::RowScale scale(m_low, m_high, m_pane.top(), m_pane.height());
    const auto strokes = analysis::ColumnStrokes(columns, m_bounds, m_session.Times(), scale);
    const int left = disp::TruncToInt32(m_traces.left());
    QVector<QLine> lines;
    lines.reserve(static_cast<int>(strokes.size()));
    for (const analysis::ColumnStroke& stroke : strokes) {
      const int x = left + stroke.column;
      if (stroke.bridged) {
        lines.append(QLine(left + stroke.fromColumn, stroke.fromRow, x, Middle(stroke.top, stroke.bottom)));
      }
      lines.append(QLine(x, stroke.top, x, stroke.bottom));
    }
    m_painter.drawLines(lines);
  }

  /// Lines between the frames in view and the one on either side.
  void DrawFrames(int channel, Trace trace) {
    const uint64_t first = m_bounds.front() > 0 ? m_bounds.front() - 1 : 0;
    const uint64_t end = std::min(m_bounds.back() + 1, m_session.Frames());
    const std::vector<double> values = m_session.Values(channel, trace, first, end);
    QVector<QLineF> lines;
    QVector<QPointF> points;
    for (uint64_t f = first; f < end; ++f) {
      const QPointF point(XOf(m_session.Times().FrameTime(f)), YOf(values[f - first]));
      points.append(point);
      if (f > first && m_session.Times().FrameTime(f) - m_session.Times().FrameTime(f - 1) <= 1 + 1e-9) {
        lines.append(QLineF(points[points.size() - 2], point));
      }
    }
    m_painter.drawLines(lines);
    if (end - first <= static_cast<uint64_t>(m_span.width) / 8) {
      for (const QPointF& p : points) m_painter.drawRect(QRectF(p.x() - 1.5, p.y() - 1.5, 3, 3));
    }
  }

  void DrawTimeAxis() {
    const double line = LineHeight();
    const int64_t startSecond = m_session.Times().StartSecond();
    const analysis::TimeTicks ticks = analysis::ComputeTimeTicks(
        m_view.start, m_view.span, std::max(2.0, m_traces.width() / (line * 6)), startSecond);
    for (const double t : ticks.times) {
      const double x = XOf(t);
      m_painter.setPen(QColor(220, 220, 220));
      m_painter.drawLine(QLineF(x, m_traces.top(), x, m_traces.bottom()));
      m_painter.setPen(Qt::black);
      const QRectF label(x - line * 5, m_traces.bottom() + 2, line * 10, line);
      m_painter.drawText(label, Qt::AlignHCenter, QString::number(t, 'f', ticks.decimals) + " s");
      m_painter.drawText(label.translated(0, line), Qt::AlignHCenter, WallClockText(startSecond, t, ticks.decimals));
    }
  }

  QPainter& m_painter;
  QRectF m_area;
  const analysis::LogSession& m_session;
  const PlotView& m_view;
  QRectF m_traces;
  analysis::ColumnSpan m_span;
  std::vector<uint64_t> m_bounds;
  QRectF m_pane;
  double m_low = 0;
  double m_high = 1;
};

}  // namespace

QRectF TraceArea(const QRectF& area, const QFont& font) {
  const QFontMetricsF metrics(font);
  const double line = metrics.height();
  const double left = metrics.horizontalAdvance("-0.000000") + 10;
  return QRectF(area.left() + left, area.top() + line * 2.4, std::max(0.0, area.width() - left - line * 2),
                std::max(0.0, area.height() - line * 5));
}

void DrawPlot(QPainter& painter, const QRectF& area, const analysis::LogSession& session, const PlotView& view) {
  PlotPainter(painter, area, session, view).Draw();
}

}  // namespace review
