#pragma once

#include <QRectF>
#include <QString>
#include <array>
#include <vector>

#include "analysis/Detector.h"
#include "analysis/LogSession.h"
#include "analysis/SampleSeries.h"

class QFont;
class QPainter;

namespace review {

/// What a plot shows of a log.
struct PlotView {
  /// Left edge and width of the shown time, seconds from the log's start.
  double start = 0;
  double span = 1;
  /// Channels shown, channel 1 first.
  std::array<bool, 8> channels{true, true, true, true, true, true, true, true};
  bool dc = true;
  bool ac = true;
  bool temperatures = true;
  /// A selected time span (seconds from the log's start); none when selectionEnd <= selectionStart.
  double selectionStart = 0;
  double selectionEnd = 0;
  /// The log's file name, shown on top.
  QString title;
  /// Spans the user marked as quiet (nobody in the field) and as walks, drawn as tinted bands behind the traces.
  std::vector<analysis::TimeSpan> quietSpans;
  std::vector<analysis::TimeSpan> walkSpans;
  /// The detector's events, each a marker in its channel's colour at the top of the AC pane.
  std::vector<analysis::DetectorEvent> events;
  /// Marks the user dropped, each a dashed line across the traces with its label.
  std::vector<analysis::UserMark> userMarks;
};

/// Where the traces go inside an area of the given size: left of it the
/// value labels, above it the title and legend, below it the time axis.
QRectF TraceArea(const QRectF& area, const QFont& font);

/// Draws the plot of `session` into `area`: title with the shown time span,
/// channel legend, a pane each for DC, AC and temperatures with value
/// labels, and a time axis in seconds from the log's start and wall-clock
/// time. Each trace is drawn from the min/max envelope, one vertical stroke
/// per pixel column, or, zoomed in to fewer frames than columns, as lines
/// between its frames; a second without frames stays a gap.
void DrawPlot(QPainter& painter, const QRectF& area, const analysis::LogSession& session, const PlotView& view);

}  // namespace review
