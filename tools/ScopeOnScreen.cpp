#include "tools/ScopeOnScreen.h"

#include <algorithm>

#include "tools/Probe.h"

namespace watch {

namespace {

constexpr int kMinSegment = 40;
constexpr int kGridStep = 50;
constexpr int kProbeBand = 3;

/// Length of the run of `colour` that starts at (x, y).
int RunLength(const Picture& p, int x, int y, uint32_t colour) {
  int end = x;
  while (end < p.width && p.At(end, y) == colour) ++end;
  return end - x;
}

/// A piece of a horizontal grid line: a silver run with the background above
/// and below along most of it (vertical grid lines and traces cross it).
bool IsGridSegment(const Picture& p, int x, int y, int length) {
  if (length < kMinSegment || y == 0 || y + 1 >= p.height) return false;
  int open = 0;
  for (int i = x; i < x + length; ++i) open += p.At(i, y - 1) == kWhite && p.At(i, y + 1) == kWhite;
  return 2 * open >= length;
}

}  // namespace

std::optional<ScreenRect> FindScope(const Picture& screen) {
  // Traces may cross any horizontal line, but never all of them in the same
  // column: the pieces of all lines together span the scope's width.
  int left = screen.width;
  int right = -1;
  int firstLine = -1;
  int lastLine = -1;
  for (int y = 0; y < screen.height; ++y) {
    for (int x = 0; x < screen.width;) {
      const int length = RunLength(screen, x, y, kSilver);
      if (IsGridSegment(screen, x, y, length)) {
        left = std::min(left, x);
        right = std::max(right, x + length - 1);
        if (firstLine < 0) firstLine = y;
        lastLine = y;
      }
      x += std::max(length, 1);
    }
  }
  if (right < 0) return std::nullopt;
  // Vertical grid lines run from top to bottom every 50 pixels; a trace
  // crossing one only cuts that one short, so the longest reach counts.
  int top = firstLine;
  int bottom = lastLine;
  for (int column = left + kGridStep; column <= std::min(right, left + 4 * kGridStep); column += kGridStep) {
    int up = firstLine;
    while (up > 0 && screen.At(column, up - 1) == kSilver) --up;
    int down = lastLine;
    while (down + 1 < screen.height && screen.At(column, down + 1) == kSilver) ++down;
    top = std::min(top, up);
    bottom = std::max(bottom, down);
  }
  return ScreenRect{left, top, right - left + 1, bottom - top + 1};
}

int64_t TracePixels(const Picture& scope) {
  int64_t count = 0;
  for (int y = 0; y < scope.height; ++y) {
    for (int x = 0; x < scope.width; ++x) count += IsTracePixel(scope.At(x, y));
  }
  return count;
}

std::vector<bool> ProbeColumns(const Picture& scope) {
  std::vector<bool> columns(static_cast<size_t>(scope.width), false);
  const int line = scope.height / 2 - sim::kProbeRowsAboveCentre;
  const int first = std::max(0, line - kProbeBand);
  const int last = std::min(scope.height - 1, line + kProbeBand);
  for (int y = first; y <= last; ++y) {
    for (int x = 0; x < scope.width; ++x) {
      if (IsTracePixel(scope.At(x, y))) columns[static_cast<size_t>(x)] = true;
    }
  }
  return columns;
}

}  // namespace watch
