#pragma once

#include <cstdint>
#include <vector>

#include "analysis/LogSession.h"

namespace analysis {

/// The time span a view shows across its pixel columns.
struct ColumnSpan {
  /// Time of the left edge of column 0, seconds from the log's start.
  double start = 0;
  /// Seconds per column (> 0).
  double step = 1;
  /// Columns (>= 0).
  int width = 0;
};

/// What one pixel column shows of a trace: the lowest and highest value of
/// its frames; empty when no frame falls in it.
struct ColumnRange {
  double low = 0;
  double high = 0;
  bool empty = true;
};

/// The frames [first, end) whose times fall in column x: those from
/// start + x * step up to start + (x + 1) * step. Returns width + 1 bounds.
std::vector<uint64_t> ColumnBounds(const TimeLine& times, const ColumnSpan& span);

/// The range of one trace of `channel` in each column, the columns given by
/// their ColumnBounds. Where the view holds at most kExactFramesPerColumn
/// frames per column the values are exact (the AC trace recomputed from its
/// checkpoint); further out they come from the min/max pyramid, rounded
/// outward to its blocks of at most an eighth of the frames per column, so
/// a column's range may take in a few frames of its neighbours. Either way
/// every frame's value lies inside its column's range.
std::vector<ColumnRange> TraceColumns(const LogSession& session, int channel, Trace trace,
                                      const std::vector<uint64_t>& bounds);

/// Columns of frames counted exactly rather than from the pyramid.
constexpr uint64_t kExactFramesPerColumn = 16;

}  // namespace analysis
