#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/NoiseFigures.h"

namespace {

using analysis::SampleSeries;
using analysis::TimeSpan;

TEST(NoiseFigures, SignalToNoisePoolsSpansOfEachKind) {
  // Quiet at t 0..3 and 8..9, a walk at 4..6; times one per second.
  const std::vector<double> v = {1, -1, 2, -2, 10, -10, 30, 0, 1, -1};
  std::vector<double> t(v.size());
  for (size_t i = 0; i < t.size(); ++i) t[i] = static_cast<double>(i);
  const SampleSeries<double> series{v.data(), t.data(), v.size()};
  const auto s = analysis::ComputeSignalToNoise(series, {{0, 3}, {8, 9}}, {{4, 6}});
  EXPECT_EQ(s.quiet.count, 6u);
  EXPECT_DOUBLE_EQ(s.quiet.mean, 0);
  EXPECT_DOUBLE_EQ(s.quiet.peakToPeak, 4);
  EXPECT_DOUBLE_EQ(s.quiet.rms, std::sqrt(12.0 / 6));
  EXPECT_EQ(s.walk.count, 3u);
  EXPECT_DOUBLE_EQ(s.walk.peakToPeak, 40);
  EXPECT_DOUBLE_EQ(s.walk.mean, 10);
  EXPECT_DOUBLE_EQ(s.walk.rms, std::sqrt(800.0 / 3));
  EXPECT_DOUBLE_EQ(*s.peakToPeakDb, 20);
  EXPECT_DOUBLE_EQ(*s.rmsDb, 10 * std::log10(400.0 / 3));

  const auto noQuiet = analysis::ComputeSignalToNoise(series, {{20, 30}}, {{4, 6}});
  EXPECT_FALSE(noQuiet.peakToPeakDb);
  EXPECT_FALSE(noQuiet.rmsDb);
}

TEST(NoiseFigures, SettlingCountsFromEachSegmentStartToTheLastExcursion) {
  // Two segments 0.1 s apart within, 5 s between: the second starts at index 7.
  const std::vector<double> t = {0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 5.5, 5.6, 5.7, 5.8};
  const std::vector<double> v = {50, 4, 2.9, -3, 1, 9, 0, 1, 2, 9, 9};
  const SampleSeries<double> series{v.data(), t.data(), v.size()};
  const analysis::SettlingRule everyFrame{3, 1.0, 0};
  const auto settling = analysis::ComputeSettling(series, 0, 1, everyFrame);
  ASSERT_EQ(settling.size(), 2u);
  EXPECT_DOUBLE_EQ(settling[0].start, 0);
  EXPECT_DOUBLE_EQ(*settling[0].seconds, 0.6);  // 9 at 0.5 s was the last excursion
  EXPECT_DOUBLE_EQ(settling[1].start, 5.5);
  EXPECT_FALSE(settling[1].seconds);  // still outside at the end

  // Runs shorter than 0.1 s (the single frame at 0.5 s) are noise; 50, 4 lasts 0.1 s.
  EXPECT_DOUBLE_EQ(*analysis::ComputeSettling(series, 0, 1, {3, 1.0, 0.1})[0].seconds, 0.2);
  // A walk is no excursion: with 5.7..5.8 marked, the second segment settles at once.
  EXPECT_DOUBLE_EQ(*analysis::ComputeSettling(series, 0, 1, everyFrame, {{5.65, 6}})[1].seconds, 0);
  // About another mean with another band, 4 +- 6: -3 at 0.3 s is the last excursion.
  EXPECT_DOUBLE_EQ(*analysis::ComputeSettling(series, 4, 3, {2, 1.0, 0})[0].seconds, 0.4);
}

TEST(NoiseFigures, DriftIsTheSlopeAgainstTemperature) {
  const std::vector<double> dc = {100, 96, 104, 100, 92};
  const std::vector<double> degrees = {20, 20, 21, 21, 23};
  // Means 98.4 and 21; sum dT*dDC = -1*1.6 + -1*-2.4 + 0 + 0 + 2*-6.4 = -12, sum dT^2 = 6.
  EXPECT_DOUBLE_EQ(*analysis::DriftPerDegree(dc.data(), degrees.data(), dc.size()), -2);
  const std::vector<double> steady = {25, 25, 25, 25, 25};
  EXPECT_FALSE(analysis::DriftPerDegree(dc.data(), steady.data(), dc.size()));
}

}  // namespace
