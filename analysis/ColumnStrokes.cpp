#include "analysis/ColumnStrokes.h"

#include <algorithm>

#include "display/Truncation.h"

namespace analysis {

namespace {

/// The row halfway between two, without overflow.
int32_t Middle(int32_t a, int32_t b) { return static_cast<int32_t>((int64_t{a} + b) / 2); }

/// True when the frames on either side of the empty columns between a and b
/// (a < b, both with frames) are at most a second apart: no pause of the log.
bool Joined(const std::vector<uint64_t>& bounds, const TimeLine& times, size_t a, size_t b) {
  if (b == a + 1) return true;
  const uint64_t next = bounds[b];
  return times.FrameTime(next) - times.FrameTime(next - 1) <= 1 + 1e-9;
}

}  // namespace

RowScale::RowScale(double low, double high, double top, double height)
    : m_low(low), m_rowsPerUnit(height / (high - low)), m_bottom(top + height) {}

int32_t RowScale::Row(double value) const { return disp::TruncToInt32(m_bottom - (value - m_low) * m_rowsPerUnit); }

std::vector<ColumnStroke> ColumnStrokes(const std::vector<ColumnRange>& columns, const std::vector<uint64_t>& bounds,
                                        const TimeLine& times, const RowScale& scale) {
  std::vector<ColumnStroke> strokes;
  int32_t previousTop = 0;
  int32_t previousBottom = 0;
  for (size_t x = 0; x < columns.size(); ++x) {
    if (columns[x].empty) continue;
    ColumnStroke stroke;
    stroke.column = static_cast<int32_t>(x);
    const int32_t top = scale.Row(columns[x].high);
    const int32_t bottom = scale.Row(columns[x].low);
    stroke.top = top;
    stroke.bottom = bottom;
    if (!strokes.empty() && Joined(bounds, times, static_cast<size_t>(strokes.back().column), x)) {
      if (strokes.back().column + 1 == stroke.column) {
        // Adjacent columns overlap by a row at least, so the trace has no break.
        stroke.top = std::min(top, previousBottom);
        stroke.bottom = std::max(bottom, previousTop);
      } else {
        stroke.bridged = true;
        stroke.fromColumn = strokes.back().column;
        stroke.fromRow = Middle(previousTop, previousBottom);
      }
    }
    previousTop = top;
    previousBottom = bottom;
    strokes.push_back(stroke);
  }
  return strokes;
}

}  // namespace analysis
