#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include "display/ScopeGeometry.h"
#include "display/Truncation.h"

namespace {

using disp::ComputeGrid;
using Lines = std::array<int32_t, 7>;
constexpr int32_t kI32Max = std::numeric_limits<int32_t>::max();
constexpr int32_t kI32Min = std::numeric_limits<int32_t>::min();

TEST(ScopeGeometry, GridOfTheDefaultScope) {
  const disp::ScopeGrid grid = ComputeGrid(472, 353, 50.0);
  EXPECT_EQ(grid.verticalX, (std::vector<int32_t>{50, 100, 150, 200, 250, 300, 350, 400, 450}));
  EXPECT_EQ(grid.gridStepY, 44.125);
  EXPECT_EQ(grid.horizontalY, (Lines{44, 88, 132, 176, 220, 264, 308}));
  EXPECT_EQ(grid.labelTop, (Lines{39, 83, 127, 171, 215, 259, 303}));
  EXPECT_EQ(ComputeGrid(472, 362, 50.0).horizontalY, (Lines{45, 90, 135, 181, 226, 271, 316}));
}

TEST(ScopeGeometry, VerticalLinesStayInsideTheSurface) {
  const struct {
    int32_t width;
    double step;
    size_t count;
    int32_t last;
  } cases[] = {
      {451, 50.0, 9, 450}, {450, 50.0, 8, 400}, {1, 50.0, 0, 0},           {0, 50.0, 0, 0},
      {120, 33.3, 3, 99},  {100, -50.0, 0, 0},  {100, std::nan(""), 0, 0},
  };
  for (const auto& c : cases) {
    const auto lines = ComputeGrid(c.width, 353, c.step).verticalX;
    ASSERT_EQ(lines.size(), c.count) << "width " << c.width << " step " << c.step;
    EXPECT_EQ(lines.empty() ? 0 : lines.back(), c.last) << "width " << c.width << " step " << c.step;
  }
  EXPECT_THROW(ComputeGrid(472, 353, 0.0), disp::ArithmeticFault);
  EXPECT_THROW(ComputeGrid(472, 353, 0.5), std::invalid_argument);
  EXPECT_THROW(ComputeGrid(472, 353, 1e-300), std::invalid_argument);
}

TEST(ScopeGeometry, LabelsShowTheValueOnEachLine) {
  const struct {
    double gridStepY, scale;
    Lines dc;
  } cases[] = {
      {44.125, 50, {14814, 12608, 10402, 8196, 5989, 3783, 1577}},
      {45.25, 50, {14983, 12721, 10458, 8196, 5933, 3671, 1408}},
      {44.125, 1e300, {kI32Max, kI32Max, kI32Max, 8196, kI32Min, kI32Min, kI32Min}},
  };
  for (const auto& c : cases) EXPECT_EQ(disp::DcLabelValues(c.gridStepY, c.scale, -8196), c.dc) << c.scale;
  EXPECT_EQ(disp::AcLabelValues(44.125, 2), (Lines{264, 176, 88, 0, -88, -176, -264}));
}

TEST(ScopeGeometry, DrawGridLayersHorizontalOverVertical) {
  TDibSurface s;
  s.Allocate(472, 353, 16);
  s.Fill(ColorWord(disp::kBackgroundColor));
  disp::DrawGrid(s, ComputeGrid(472, 353, 50.0));
  const auto at = [&s](int32_t x, int32_t y) { return s.Pixel(352 - y, x); };  // y from the top
  const struct {
    int32_t x, y;
    uint16_t pixel;
  } cases[] = {
      {50, 0, 0x6318},  {450, 352, 0x6318}, {0, 10, 0x7FFF},  {471, 10, 0x7FFF}, {50, 176, 0x0000},
      {0, 176, 0x0000}, {471, 176, 0x0000}, {50, 44, 0x6318}, {10, 308, 0x6318}, {10, 309, 0x7FFF},
  };
  for (const auto& c : cases) EXPECT_EQ(at(c.x, c.y), c.pixel) << c.x << "," << c.y;

  TDibSurface empty;
  disp::DrawGrid(empty, ComputeGrid(472, 353, 50.0));
  EXPECT_TRUE(empty.IsEmpty());
}

TEST(ScopeGeometry, PointInSurfaceChecksBothAxes) {
  const struct {
    int32_t col, row, width, height;
    bool inside;
  } cases[] = {
      {0, 0, 472, 353, true},    {471, 352, 472, 353, true}, {-1, 0, 472, 353, false}, {472, 0, 472, 353, false},
      {0, 353, 472, 353, false}, {0, -1, 472, 353, false},   {0, 0, 0, 0, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(disp::PointInSurface(c.col, c.row, c.width, c.height), c.inside) << c.col << "," << c.row;
}

TEST(ScopeGeometry, TraceColoursPackToTheirPixels) {
  const std::array<uint16_t, 8> dc = {0x001F, 0x0200, 0x7C00, 0x7C1F, 0x7FE0, 0x0010, 0x4010, 0x4200};
  const std::array<uint16_t, 8> ac = {0x000F, 0x0100, 0x3C00, 0x3C0F, 0x3DE0, 0x0008, 0x2008, 0x2100};
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(TDibSurface::PackColor(ColorWord(disp::kDcColors[i])), dc[i]) << "channel " << i + 1;
    EXPECT_EQ(TDibSurface::PackColor(ColorWord(disp::HalfIntensity(disp::kDcColors[i]))), ac[i]) << i + 1;
  }
}

}  // namespace
