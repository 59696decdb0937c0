#include "display/ScopeGeometry.h"

#include <cmath>
#include <stdexcept>

#include "display/Truncation.h"

namespace disp {

namespace {

constexpr int kHorizontalLines = 7;
constexpr int kCentreLine = 4;
constexpr int32_t kLabelRaise = 5;

}  // namespace

ScopeGrid ComputeGrid(int32_t width, int32_t height, double gridStepX) {
  ScopeGrid grid;
  const int64_t lines = TruncToInt64(DivideOrFault(static_cast<long double>(width) - 1, gridStepX));
  // Beyond one line per column the steps are below a pixel and the count
  // could exhaust memory; no sensible scope asks for that.
  if (lines > 0 && lines > width) {
    throw std::invalid_argument("Horizontal grid step below one pixel");
  }
  for (int64_t i = 1; i <= lines; ++i) {
    grid.verticalX.push_back(TruncToInt32(static_cast<long double>(i) * gridStepX));
  }

  grid.gridStepY = height / 8.0;
  for (int j = 1; j <= kHorizontalLines; ++j) {
    const int32_t y = TruncToInt32(static_cast<long double>(j) * grid.gridStepY);
    grid.horizontalY[j - 1] = y;
    grid.labelTop[j - 1] = y - kLabelRaise;
  }
  return grid;
}

void DrawGrid(TDibSurface& surface, const ScopeGrid& grid) {
  if (surface.IsEmpty()) {
    return;
  }
  const int32_t bottom = surface.AbsHeight() - 1;
  const int32_t right = surface.Width() - 1;
  for (int32_t x : grid.verticalX) {
    surface.DrawLine(x, 0, x, bottom, ColorWord(kGridColor));
  }
  for (int j = 1; j <= kHorizontalLines; ++j) {
    const TBgrColor color = j == kCentreLine ? kCentreLineColor : kGridColor;
    const int32_t y = grid.horizontalY[j - 1];
    surface.DrawLine(0, y, right, y, ColorWord(color));
  }
}

std::array<int32_t, 7> DcLabelValues(double gridStepY, double dcScale, int64_t dcOffset) {
  std::array<int32_t, 7> values{};
  for (int i = 1; i <= kHorizontalLines; ++i) {
    const long double above = 4.0L * gridStepY - static_cast<long double>(i) * gridStepY;
    values[i - 1] = TruncToInt32(above * dcScale - static_cast<long double>(dcOffset));
  }
  return values;
}

std::array<int32_t, 7> AcLabelValues(double gridStepY, double acScale) {
  std::array<int32_t, 7> values{};
  for (int i = 1; i <= kHorizontalLines; ++i) {
    const long double above = 4.0L * gridStepY - static_cast<long double>(i) * gridStepY;
    values[i - 1] = TruncToInt32(above * acScale);
  }
  return values;
}

bool PointInSurface(int32_t col, int32_t row, int32_t width, int32_t height) {
  return row >= 0 && row < height && col >= 0 && col < width;
}

}  // namespace disp
