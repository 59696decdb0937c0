#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "analysis/SpanStatistics.h"

namespace {

using analysis::ComputeStatistics;
using analysis::SampleSeries;

struct StatisticsCase {
  const char* name;
  std::vector<double> values;
  std::vector<double> times;
  double mean, min, max, rms, sampleStdDev;
  std::optional<double> slope;
  double duration;
};

TEST(SpanStatistics, MatchesHandComputedFigures) {
  const std::vector<StatisticsCase> cases = {
      {"ramp", {1, 2, 3, 4}, {0, 1, 2, 3}, 2.5, 1, 4, std::sqrt(1.25), std::sqrt(5.0 / 3), 1.0, 3},
      {"single", {7}, {2}, 7, 7, 7, 0, 0, std::nullopt, 0},
      {"steady time", {1, 3}, {5, 5}, 2, 1, 3, 1, std::sqrt(2.0), std::nullopt, 0},
      {"falling, uneven times", {10, 4, -2}, {0, 0.5, 2}, 4, -2, 10, std::sqrt(24.0), 6, -72.0 / 13, 2},
      {"high level",
       {1e9 + 1, 1e9 + 2, 1e9 + 3},
       {0, 0.003, 0.006},
       1e9 + 2,
       1e9 + 1,
       1e9 + 3,
       std::sqrt(2.0 / 3),
       1,
       1 / 0.003,
       0.006},
  };
  for (const StatisticsCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto s = ComputeStatistics(SampleSeries<double>{c.values.data(), c.times.data(), c.values.size()});
    EXPECT_EQ(s.count, c.values.size());
    EXPECT_DOUBLE_EQ(s.mean, c.mean);
    EXPECT_EQ(s.min, c.min);
    EXPECT_EQ(s.max, c.max);
    EXPECT_EQ(s.peakToPeak, c.max - c.min);
    EXPECT_NEAR(s.rms, c.rms, 1e-12 * (1 + c.rms));
    EXPECT_NEAR(s.sampleStdDev, c.sampleStdDev, 1e-12 * (1 + c.sampleStdDev));
    ASSERT_EQ(s.slope.has_value(), c.slope.has_value());
    if (c.slope) {
      EXPECT_NEAR(*s.slope, *c.slope, 1e-9 * std::abs(*c.slope));
    }
    EXPECT_DOUBLE_EQ(s.durationSeconds, c.duration);
  }
}

TEST(SpanStatistics, EmptySeriesGivesZeroCount) {
  const auto s = ComputeStatistics(SampleSeries<int32_t>{});
  EXPECT_EQ(s.count, 0u);
  EXPECT_FALSE(s.slope.has_value());
}

// Ten minutes of one channel at the board's rate: a high DC level with noise
// and drift, against sums in extended precision taken the plain way.
TEST(SpanStatistics, AgreesWithExtendedPrecisionReference) {
  const size_t n = 200000;
  std::vector<int32_t> values(n);
  std::vector<double> times(n);
  std::mt19937_64 random(21);
  std::normal_distribution<double> noise(0, 3);
  for (size_t i = 0; i < n; ++i) {
    times[i] = 1234.5 + 0.003 * static_cast<double>(i);
    values[i] = static_cast<int32_t>(std::lround(8196 + 0.01 * static_cast<double>(i) / 333 + noise(random)));
  }
  long double sum = 0, sumT = 0;
  for (size_t i = 0; i < n; ++i) {
    sum += values[i];
    sumT += times[i];
  }
  const long double mean = sum / n, meanT = sumT / n;
  long double sxx = 0, stt = 0, stx = 0;
  for (size_t i = 0; i < n; ++i) {
    const long double dx = values[i] - mean, dt = times[i] - meanT;
    sxx += dx * dx;
    stt += dt * dt;
    stx += dt * dx;
  }
  const auto s = ComputeStatistics(SampleSeries<int32_t>{values.data(), times.data(), n});
  const auto relative = [](double got, long double want) {
    return static_cast<double>(std::fabs((static_cast<long double>(got) - want) / want));
  };
  EXPECT_LT(relative(s.mean, mean), 1e-9);
  EXPECT_LT(relative(s.rms, std::sqrt(sxx / n)), 1e-9);
  EXPECT_LT(relative(s.sampleStdDev, std::sqrt(sxx / (n - 1))), 1e-9);
  ASSERT_TRUE(s.slope);
  EXPECT_LT(relative(*s.slope, stx / stt), 1e-9);
}

TEST(SpanStatistics, CsvHasOneLinePerRowAndLeavesMissingSlopeEmpty) {
  const std::vector<double> v = {1, 2}, t = {0, 0.5};
  const std::vector<double> one = {3}, oneT = {1};
  const std::vector<analysis::StatisticsRow> rows = {
      {1, "DC", ComputeStatistics(SampleSeries<double>{v.data(), t.data(), 2})},
      {8, "AC", ComputeStatistics(SampleSeries<double>{one.data(), oneT.data(), 1})},
  };
  EXPECT_EQ(analysis::StatisticsCsv(rows),
            "channel,trace,n,mean,min,max,peak_to_peak,rms,sample_std_dev,slope_per_s,duration_s\n"
            "1,DC,2,1.5,1,2,1,0.5,0.7071067811865476,2,0.5\n"
            "8,AC,1,3,3,3,0,0,0,,0\n");
}

struct RateCase {
  const char* name;
  double start, step;
  size_t frames;
  std::optional<double> rate;
};

TEST(SampleSeries, FrameRateCountsFramesBetweenSecondBoundaries) {
  const std::vector<RateCase> cases = {
      {"whole seconds at 4 per second", 0.1, 0.25, 20, 4.0},
      {"three boundaries at 333.3", 10.5, 0.003, 1000, 667.0 / 2},  // boundaries at frames 167, 500, 834
      {"one boundary", 0.5, 0.1, 8, std::nullopt},
      {"no frames", 0, 1, 0, std::nullopt},
  };
  for (const RateCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<double> times(c.frames);
    for (size_t i = 0; i < c.frames; ++i) times[i] = c.start + c.step * static_cast<double>(i);
    const auto rate = analysis::MeasureFrameRate(times.data(), times.size());
    ASSERT_EQ(rate.has_value(), c.rate.has_value());
    if (c.rate) {
      EXPECT_NEAR(*rate, *c.rate, 1e-12);
    }
  }
}

}  // namespace
