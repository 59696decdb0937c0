#pragma once

#include <cstdint>
#include <vector>

#include "analysis/TraceColumns.h"

namespace analysis {

/// Pixel rows of values in a pane: `high` on row `top`, `low` on the
/// pane's last row, truncated toward zero and saturated to 32 bits.
class RowScale {
 public:
  /// A pane of `height` pixels from row `top` showing [low, high] (low < high).
  RowScale(double low, double high, double top, double height);
  /// The row of a value; values outside [low, high] fall outside the pane.
  int32_t Row(double value) const;

 private:
  double m_low;
  double m_rowsPerUnit;
  double m_bottom;
};

/// What one pixel column draws of a trace: rows top..bottom (inclusive, top
/// <= bottom) and, when columns without frames lie between it and the one
/// before, a line from the middle of that one (`fromColumn`, `fromRow`) to
/// its own middle.
struct ColumnStroke {
  int32_t column = 0;
  int32_t top = 0;
  int32_t bottom = 0;
  bool bridged = false;
  int32_t fromColumn = 0;
  int32_t fromRow = 0;
};

/// The strokes of a trace's columns (TraceColumns over `bounds`): each spans
/// its column's range, stretched to meet the column before, so the trace is
/// unbroken; no stroke meets one across a whole second without frames, which
/// stays a gap. Every frame's value lies within its column's stroke.
std::vector<ColumnStroke> ColumnStrokes(const std::vector<ColumnRange>& columns, const std::vector<uint64_t>& bounds,
                                        const TimeLine& times, const RowScale& scale);

}  // namespace analysis
