#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "display/DibSurface.h"

namespace disp {

/// Scope background, grid and centre-line colours.
constexpr TBgrColor kBackgroundColor = RgbColor(255, 255, 255);
constexpr TBgrColor kGridColor = RgbColor(192, 192, 192);
constexpr TBgrColor kCentreLineColor = RgbColor(0, 0, 0);

/// DC trace colours, channel 1 first.
constexpr std::array<TBgrColor, 8> kDcColors = {
    RgbColor(0, 0, 255),    // blue
    RgbColor(0, 128, 0),    // green
    RgbColor(255, 0, 0),    // red
    RgbColor(255, 0, 255),  // fuchsia
    RgbColor(255, 255, 0),  // yellow
    RgbColor(0, 0, 128),    // navy
    RgbColor(128, 0, 128),  // purple
    RgbColor(128, 128, 0),  // olive
};

/// A colour at half intensity (each byte shifted right by one): the AC trace
/// colour of a channel is HalfIntensity of its DC colour.
constexpr TBgrColor HalfIntensity(TBgrColor c) {
  return TBgrColor{static_cast<uint8_t>(c.B >> 1), static_cast<uint8_t>(c.G >> 1), static_cast<uint8_t>(c.R >> 1)};
}

/// Grid lines of the scope for one surface size, in pixels.
struct ScopeGrid {
  /// x of each vertical line, left to right; none at x = 0.
  std::vector<int32_t> verticalX;
  /// Pixels per vertical division: height / 8.
  double gridStepY = 0;
  /// y (from the top) of horizontal lines 1..7; line 4 is the centre line.
  std::array<int32_t, 7> horizontalY{};
  /// Top of the scale labels beside each horizontal line: y - 5.
  std::array<int32_t, 7> labelTop{};
};

/// Grid of a width x height surface with gridStepX pixels per horizontal
/// division: vertical lines at trunc(i * gridStepX) for
/// i = 1 .. trunc((width - 1) / gridStepX); horizontal line j at
/// trunc(j * height / 8.0). Negative or NaN steps give no vertical lines.
/// @throws ArithmeticFault when gridStepX is zero;
///         std::invalid_argument when the step would give more vertical lines
///         than the surface has columns (a step below one pixel).
ScopeGrid ComputeGrid(int32_t width, int32_t height, double gridStepX);

/// Draws the vertical lines (full height, grid colour), then the horizontal
/// lines 1..7 (full width, line 4 in the centre-line colour), so horizontal
/// lines cover the crossings. Draws nothing on an empty surface.
void DrawGrid(TDibSurface& surface, const ScopeGrid& grid);

/// Sample value on each horizontal line i = 1..7 of the DC trace:
/// trunc((4 * gridStepY - i * gridStepY) * dcScale - dcOffset), saturated to
/// 32 bits.
std::array<int32_t, 7> DcLabelValues(double gridStepY, double dcScale, int64_t dcOffset);

/// Filtered value on each horizontal line i = 1..7 of the AC trace:
/// trunc((4 * gridStepY - i * gridStepY) * acScale), saturated to 32 bits.
std::array<int32_t, 7> AcLabelValues(double gridStepY, double acScale);

/// True when 0 <= col < width and 0 <= row < height (row is a stored row).
bool PointInSurface(int32_t col, int32_t row, int32_t width, int32_t height);

}  // namespace disp
