#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "acquisition/TraceMath.h"
#include "display/Truncation.h"

namespace {

constexpr int32_t kI32Max = std::numeric_limits<int32_t>::max();
constexpr int32_t kI32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kI64Max = std::numeric_limits<int64_t>::max();
constexpr int64_t kI64Min = std::numeric_limits<int64_t>::min();

TEST(TraceMath, RowsTruncateAroundTheCentre) {
  const struct {
    int64_t offset, sample;
    double scale;
    int32_t row;
  } dc[] = {
      {-8196, 8196, 50, 176},          {-8196, 9196, 50, 196},
      {-8196, 7196, 50, 156},          {-8850, 0, 50, 0},  // -0.5 truncates to 0, not -1
      {kI64Max, kI64Max, 50, kI32Max}, {kI64Min, kI64Min, 0.5, kI32Min},
  };
  for (const auto& c : dc) EXPECT_EQ(acq::DcRow(c.offset, c.sample, c.scale, 44.125), c.row) << c.sample;

  const struct {
    double y, scale;
    int32_t height, row;
  } ac[] = {
      {0, 2, 353, 176},   {-1, 2, 353, 176}, {1000, 2, 353, 676},           {-354, 2, 353, 0},
      {-356, 2, 353, -1}, {0, 2, 352, 176},  {1e300, 1e-300, 353, kI32Max},
  };
  for (const auto& c : ac) EXPECT_EQ(acq::AcRow(c.y, c.scale, c.height), c.row) << c.y;

  EXPECT_THROW(acq::DcRow(-8196, 1, 0.0, 44.125), disp::ArithmeticFault);
  EXPECT_THROW(acq::AcRow(1, 0.0, 353), disp::ArithmeticFault);
}

TEST(TraceMath, SweepColumnFollowsTheTimeBase) {
  const struct {
    long double time, start;
    int32_t interval, col;
  } cases[] = {
      {300, 0, 500, 30}, {3, 0, 500, 0}, {303, 3, 500, 30}, {9, 0, 1, 450}, {300, 0, -500, -30}, {1e30L, 0, 1, kI32Max},
  };
  for (const auto& c : cases) EXPECT_EQ(acq::SweepColumn(c.time, c.start, 50.0, c.interval), c.col) << c.time;
  EXPECT_THROW(acq::SweepColumn(300, 0, 50.0, 0), disp::ArithmeticFault);
}

TEST(TraceMath, ProgressEndsTheSweepAtTheRightEdge) {
  const struct {
    int32_t col, width, progress;
    bool ends;
  } cases[] = {
      {471, 472, 997, false}, {472, 472, 1000, true},        {1199, 1200, 999, true},     {1198, 1200, 998, false},
      {-5, 472, -10, false},  {3000000, 472, 6355932, true}, {kI32Max, 1, kI32Max, true}, {kI32Min, 1, kI32Min, false},
  };
  for (const auto& c : cases) {
    const int32_t p = acq::SweepProgress(c.col, c.width);
    EXPECT_EQ(p, c.progress) << c.col << " of " << c.width;
    EXPECT_EQ(acq::SweepEnds(p), c.ends) << c.col << " of " << c.width;
  }
  EXPECT_THROW(acq::SweepProgress(10, 0), disp::ArithmeticFault);
}

TEST(TraceMath, FilterMatchesHandComputedResponses) {
  acq::AcFilterState step;
  EXPECT_EQ(acq::AcFilterStep(step, 1000), 1000.0);
  EXPECT_EQ(step.level, 0.0L);
  EXPECT_EQ(step.rate, 1000.0L);
  EXPECT_EQ(acq::AcFilterStep(step, 1000), 996.09375);
  EXPECT_EQ(step.level, 3.90625L);
  EXPECT_EQ(step.rate, 1996.09375L);

  // Powers of two keep every value exact, so equality must hold.
  const double impulse[] = {1.0, -1.0 / 256, -511.0 / 131072, -255.0 / 65536};
  acq::AcFilterState s;
  for (int n = 0; n < 4; ++n) EXPECT_EQ(acq::AcFilterStep(s, n == 0 ? 1 : 0), impulse[n]) << "step " << n;
}

TEST(TraceMath, FilterRateSumsTheOutputsAsStored) {
  // The outputs soon need more bits than a double holds; the rate must add up
  // the rounded outputs that were drawn, not the extended ones.
  acq::AcFilterState s;
  long double sum = 0;
  for (int n = 0; n < 64; ++n) sum += acq::AcFilterStep(s, (n * 7919) % 1001);
  EXPECT_EQ(s.rate, sum);
}

TEST(TraceMath, FilterSettlesOnAConstantInputAndStaysFinite) {
  acq::AcFilterState s;
  double y = 0;
  for (int n = 0; n < 20000; ++n) y = acq::AcFilterStep(s, 8196);
  EXPECT_NEAR(y, 0.0, 1e-6);
  EXPECT_NEAR(static_cast<double>(s.level / 512), 8196.0, 1e-6);

  acq::AcFilterState extreme;
  for (int n = 0; n < 2000; ++n) ASSERT_TRUE(std::isfinite(acq::AcFilterStep(extreme, n % 2 ? kI64Min : kI64Max)));
}

TEST(TraceMath, TemperatureIsASignedByte) {
  const std::pair<uint8_t, int> cases[] = {{0, 0}, {25, 25}, {127, 127}, {128, -128}, {0xFD, -3}, {0xFF, -1}};
  for (const auto& [byte, degrees] : cases) EXPECT_EQ(acq::TemperatureDegrees(byte), degrees) << int{byte};
}

}  // namespace
