#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <set>
#include <stdexcept>
#include <utility>

#include "display/DibSurface.h"

namespace {

constexpr uint32_t kWhite = ColorWord(RgbColor(255, 255, 255));
constexpr uint32_t kBlue = ColorWord(RgbColor(0, 0, 255));
constexpr uint16_t kWhitePixel = 0x7FFF;
constexpr uint16_t kBluePixel = 0x001F;
constexpr int32_t kI32Max = std::numeric_limits<int32_t>::max();
constexpr int32_t kI32Min = std::numeric_limits<int32_t>::min();

using Point = std::pair<int32_t, int32_t>;  // (x, y counted from the top)

void MakeWhite(TDibSurface& s, int32_t width, int32_t height) {
  s.Allocate(width, height, 16);
  s.Fill(kWhite);
}

// Picture points whose pixel is not white.
std::set<Point> Marked(const TDibSurface& s) {
  std::set<Point> found;
  for (int32_t row = 0; row < s.AbsHeight(); ++row)
    for (int32_t col = 0; col < s.Width(); ++col)
      if (s.Pixel(row, col) != kWhitePixel) found.emplace(col, s.AbsHeight() - 1 - row);
  return found;
}

// The smallest rectangle holding the points.
disp::PixelRect Box(const std::set<Point>& points) {
  if (points.empty()) return {};
  disp::PixelRect box{kI32Max, kI32Max, kI32Min, kI32Min};
  for (const Point& p : points) {
    box.left = std::min(box.left, p.first);
    box.right = std::max(box.right, p.first + 1);
    box.top = std::min(box.top, p.second);
    box.bottom = std::max(box.bottom, p.second + 1);
  }
  return box;
}

std::set<Point> Line(Point from, Point to) {
  std::set<Point> points;
  for (int32_t x = from.first; x <= to.first; ++x)
    for (int32_t y = from.second; y <= to.second; ++y) points.emplace(x, y);
  return points;
}

TEST(DibSurface, LayoutPadsRowsToFourBytes) {
  const struct {
    int32_t width, height, stride, rowGap, absHeight;
    uint32_t imageSize;
  } cases[] = {
      {472, 353, 944, 0, 353, 333232},
      {471, 353, 944, 2, 353, 333232},
      {1, 1, 4, 2, 1, 4},
      {3, -2, 8, 2, 2, 16},
      {0, 0, 0, 0, 0, 0},
      {5, 0, 12, 2, 0, 0},
  };
  for (const auto& c : cases) {
    TDibSurface s;
    s.Allocate(c.width, c.height, 16);
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    EXPECT_EQ(s.Stride(), c.stride);
    EXPECT_EQ(s.RowGap(), c.rowGap);
    EXPECT_EQ(s.AbsHeight(), c.absHeight);
    EXPECT_EQ(s.ImageSize(), c.imageSize);
    EXPECT_EQ((std::array<uint32_t, 3>{s.Info().Colors[0], s.Info().Colors[1], s.Info().Colors[2]}),
              (std::array<uint32_t, 3>{0x7C00, 0x03E0, 0x001F}));
  }
}

TEST(DibSurface, PacksColoursIntoFiveBitsEach) {
  const std::pair<uint32_t, uint16_t> cases[] = {
      {ColorWord(RgbColor(7, 7, 7)), 0x0000},     {ColorWord(RgbColor(8, 8, 8)), 0x0421},
      {ColorWord(RgbColor(255, 255, 0)), 0x7FE0}, {ColorWord(RgbColor(192, 192, 192)), 0x6318},
      {ColorWord(RgbColor(255, 0, 0)), 0x7C00},   {0xFF000000u | kWhite, kWhitePixel},
  };
  for (const auto& [color, pixel] : cases) EXPECT_EQ(TDibSurface::PackColor(color), pixel) << std::hex << color;
}

TEST(DibSurface, SameArgumentsKeepPixelsOtherSizesDoNot) {
  TDibSurface s;
  MakeWhite(s, 20, 10);
  s.PutPixel(3, 4, kBlue);
  s.Allocate(20, 10, 16);
  EXPECT_EQ(Marked(s), (std::set<Point>{{4, 6}}));

  for (const Point& size : {Point{21, 10}, Point{20, 11}, Point{20, -10}}) {
    MakeWhite(s, 20, 10);
    s.Allocate(size.first, size.second, 16);
    EXPECT_NE(s.Pixel(3, 4), kWhitePixel) << size.first << " x " << size.second;
  }
}

TEST(DibSurface, FillCoversRowGaps) {
  TDibSurface s;
  MakeWhite(s, 471, 353);
  std::vector<uint16_t> words(s.ImageSize() / 2);
  std::memcpy(words.data(), s.Bits(), s.ImageSize());
  EXPECT_EQ(words, std::vector<uint16_t>(words.size(), kWhitePixel));
}

TEST(DibSurface, PutPixelCountsRowsFromTheBottom) {
  TDibSurface s;
  MakeWhite(s, 6, 4);
  s.TakeChanges();
  s.PutPixel(0, 0, kBlue);
  s.PutPixel(3, 5, kBlue);
  EXPECT_EQ(Marked(s), (std::set<Point>{{0, 3}, {5, 0}}));
  EXPECT_EQ(s.Changed(), Box(Marked(s)));
}

TEST(DibSurface, DrawLineFollowsBresenhamInItsDirection) {
  const struct {
    Point from, to;
    std::set<Point> pixels;
  } cases[] = {
      {{0, 0}, {0, 0}, {{0, 0}}},
      {{0, 0}, {4, 2}, {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}},
      {{4, 2}, {0, 0}, {{4, 2}, {3, 1}, {2, 1}, {1, 0}, {0, 0}}},
      {{0, 0}, {3, 3}, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
      {{3, 0}, {0, 3}, {{3, 0}, {2, 1}, {1, 2}, {0, 3}}},
      {{1, 0}, {2, 4}, {{1, 0}, {1, 1}, {2, 2}, {2, 3}, {2, 4}}},
      {{2, 4}, {1, 0}, {{2, 4}, {2, 3}, {1, 2}, {1, 1}, {1, 0}}},
      {{0, 3}, {7, 3}, Line({0, 3}, {7, 3})},
      {{7, 0}, {7, 5}, Line({7, 0}, {7, 5})},
      {{-5, 2}, {20, 2}, Line({0, 2}, {7, 2})},  // the part inside only
      {{-100, -100}, {-1, 40}, {}},
      {{kI32Min, kI32Max}, {kI32Min, kI32Max}, {}},
  };
  for (const auto& c : cases) {
    TDibSurface s;
    MakeWhite(s, 8, 6);
    s.TakeChanges();
    s.DrawLine(c.from.first, c.from.second, c.to.first, c.to.second, kBlue);
    SCOPED_TRACE(testing::Message() << c.from.first << "," << c.from.second << " to " << c.to.first << ","
                                    << c.to.second);
    EXPECT_EQ(Marked(s), c.pixels);
    EXPECT_EQ(s.Changed(), Box(c.pixels));
  }
}

TEST(DibSurface, ReportsChangesOnceUntilTakenWithStampsOfItsOwn) {
  TDibSurface s;
  int reports = 0;
  s.OnChange = [&reports] { ++reports; };
  s.Allocate(10, 8, 16);
  EXPECT_EQ(reports, 1);
  const disp::SurfaceChanges first = s.TakeChanges();
  EXPECT_EQ(first.area, (disp::PixelRect{0, 0, 10, 8}));
  EXPECT_EQ(first.previous, 0u);
  EXPECT_TRUE(s.Changed().Empty());

  s.PutPixel(1, 2, kBlue);
  s.PutPixel(5, 6, kBlue);
  EXPECT_EQ(reports, 2);
  EXPECT_EQ(s.Changed(), (disp::PixelRect{2, 2, 7, 7}));
  const disp::SurfaceChanges second = s.TakeChanges();
  EXPECT_EQ(second.previous, first.stamp);
  EXPECT_NE(second.stamp, first.stamp);

  s.Fill(kWhite);
  EXPECT_EQ(reports, 3);
  EXPECT_EQ(s.Changed(), (disp::PixelRect{0, 0, 10, 8}));

  TDibSurface topDown;
  topDown.Allocate(10, -8, 16);
  const uint64_t otherStamp = topDown.TakeChanges().stamp;
  EXPECT_TRUE(otherStamp != first.stamp && otherStamp != second.stamp);
  topDown.PutPixel(1, 2, kBlue);
  EXPECT_EQ(topDown.Changed(), (disp::PixelRect{2, 1, 3, 2}));
}

TEST(DibSurface, FailedAllocateLeavesAnEmptySurface) {
  const struct {
    int32_t width, height;
    uint8_t depth;
    bool tooLarge;
  } cases[] = {
      {-1, 10, 16, false}, {10, kI32Min, 16, false}, {10, 10, 8, false},
      {10, 10, 32, false}, {kI32Max, 1, 16, true},   {40000, 60000, 16, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " @ " << int{c.depth});
    TDibSurface s;
    MakeWhite(s, 10, 10);
    if (c.tooLarge) {
      EXPECT_THROW(s.Allocate(c.width, c.height, c.depth), std::length_error);
    } else {
      EXPECT_THROW(s.Allocate(c.width, c.height, c.depth), std::invalid_argument);
    }
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.Bits(), nullptr);
    EXPECT_EQ(s.Width(), 0);
    EXPECT_EQ(s.AbsHeight(), 0);
    EXPECT_THROW(s.Pixel(0, 0), std::out_of_range);
    s.Fill(kBlue);
    // The old size must be allocated again, not taken as unchanged.
    s.Allocate(10, 10, 16);
    s.PutPixel(9, 9, kBlue);
    EXPECT_EQ(s.Pixel(9, 9), kBluePixel);
  }
}

}  // namespace
