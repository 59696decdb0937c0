#include "analysis/TraceColumns.h"

#include <algorithm>

namespace analysis {

std::vector<uint64_t> ColumnBounds(const TimeLine& times, const ColumnSpan& span) {
  std::vector<uint64_t> bounds(static_cast<size_t>(std::max(span.width, 0)) + 1);
  for (size_t x = 0; x < bounds.size(); ++x) {
    bounds[x] = times.FirstFrameAtOrAfter(span.start + static_cast<double>(x) * span.step);
  }
  return bounds;
}

std::vector<ColumnRange> TraceColumns(const LogSession& session, int channel, Trace trace,
                                      const std::vector<uint64_t>& bounds) {
  std::vector<ColumnRange> columns(bounds.size() - 1);
  const uint64_t first = bounds.front();
  const uint64_t end = bounds.back();
  const bool exact = trace != Trace::Temperature && end - first <= kExactFramesPerColumn * columns.size();
  const std::vector<double> values = exact ? session.Values(channel, trace, first, end) : std::vector<double>();
  // Blocks of an eighth of a column blur a column by at most that much and
  // keep the cost per column about the same at every zoom.
  const uint64_t block = (end - first) / (8 * std::max<uint64_t>(1, columns.size()));
  for (size_t x = 0; x < columns.size(); ++x) {
    if (bounds[x] >= bounds[x + 1]) continue;
    ColumnRange& column = columns[x];
    column.empty = false;
    if (!exact) {
      const auto range = session.Range(channel, trace, bounds[x], bounds[x + 1], block);
      column.low = range.low;
      column.high = range.high;
      continue;
    }
    const auto from = values.begin() + static_cast<std::ptrdiff_t>(bounds[x] - first);
    const auto to = values.begin() + static_cast<std::ptrdiff_t>(bounds[x + 1] - first);
    const auto [low, high] = std::minmax_element(from, to);
    column.low = *low;
    column.high = *high;
  }
  return columns;
}

}  // namespace analysis
