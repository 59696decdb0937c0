#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "tools/FrameGenerator.h"
#include "tools/SignalModel.h"

namespace {

constexpr int kFramesPerSecond = 333;

struct Recording {
  std::vector<std::vector<uint16_t>> samples;  // [channel][frame]
  std::vector<std::vector<uint8_t>> temperatures;
};

Recording Record(const sim::BoardConfig& config, int frames) {
  sim::SignalModel model(config);
  Recording r;
  r.samples.resize(static_cast<size_t>(config.channels));
  r.temperatures.resize(static_cast<size_t>(config.channels));
  std::vector<uint16_t> samples;
  std::vector<uint8_t> temperatures;
  for (int i = 0; i < frames; ++i) {
    model.Next(samples, temperatures);
    for (size_t k = 0; k < samples.size(); ++k) {
      r.samples[k].push_back(samples[k]);
      r.temperatures[k].push_back(temperatures[k]);
    }
  }
  return r;
}

TEST(SignalModel, SameSeedRepeatsAndAnotherSeedDiffers) {
  sim::FrameGenerator a({8, true, 42});
  sim::FrameGenerator b({8, true, 42});
  sim::FrameGenerator c({8, true, 43});
  bool differs = false;
  for (int i = 0; i < 5000; ++i) {
    const std::string bytesA = a.Next().bytes;
    EXPECT_EQ(bytesA, b.Next().bytes) << "frame " << i;
    differs = differs || bytesA != c.Next().bytes;
  }
  EXPECT_TRUE(differs);
}

TEST(SignalModel, ChannelSignalDoesNotDependOnChannelCount) {
  const Recording one = Record({1, true, 7}, 3000);
  const Recording eight = Record({8, true, 7}, 3000);
  EXPECT_EQ(one.samples[0], eight.samples[0]);
  EXPECT_EQ(one.temperatures[0], eight.temperatures[0]);
  EXPECT_NE(eight.samples[0], eight.samples[1]) << "channels differ from each other";
}

TEST(SignalModel, StaysInTheRangesOfAPirBoard) {
  constexpr int kFrames = 120 * kFramesPerSecond;
  for (const uint64_t seed : {1u, 2u, 99u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const Recording r = Record({8, true, seed}, kFrames);
    double largestSwing = 0;
    for (size_t k = 0; k < r.samples.size(); ++k) {
      const auto& s = r.samples[k];
      double sum = 0;
      for (const uint16_t v : s) {
        sum += v;
      }
      EXPECT_NEAR(sum / s.size(), 8196.0, 150.0) << "baseline of channel " << k + 1;
      const auto [lo, hi] = std::minmax_element(s.begin(), s.end());
      EXPECT_GT(*lo, 8196 - 1200) << "channel " << k + 1;
      EXPECT_LT(*hi, 8196 + 1200) << "channel " << k + 1;
      for (const uint8_t t : r.temperatures[k]) {
        ASSERT_GE(t, 20);
        ASSERT_LE(t, 30);
      }
      // Largest peak-to-peak within any one-second window.
      for (size_t start = 0; start + kFramesPerSecond <= s.size(); start += kFramesPerSecond / 2) {
        const auto window = std::minmax_element(s.begin() + static_cast<long>(start),
                                                s.begin() + static_cast<long>(start + kFramesPerSecond));
        largestSwing = std::max(largestSwing, static_cast<double>(*window.second - *window.first));
      }
    }
    EXPECT_GT(largestSwing, 200.0) << "motion shows as swings of a few hundred counts";
  }
}

TEST(SignalModel, QuietChannelHasOnlySmallNoise) {
  // Frame-to-frame steps are dominated by noise: a few counts, not tens.
  const Recording r = Record({8, false, 5}, 20 * kFramesPerSecond);
  for (const auto& s : r.samples) {
    std::vector<int> steps;
    for (size_t i = 1; i < s.size(); ++i) {
      steps.push_back(std::abs(static_cast<int>(s[i]) - static_cast<int>(s[i - 1])));
    }
    std::nth_element(steps.begin(), steps.begin() + static_cast<long>(steps.size() / 2), steps.end());
    const int median = steps[steps.size() / 2];
    EXPECT_GE(median, 1);
    EXPECT_LE(median, 8);
  }
}

TEST(SignalModel, RejectsImpossibleChannelCounts) {
  EXPECT_THROW(sim::SignalModel({0, true, 1}), std::invalid_argument);
  EXPECT_THROW(sim::SignalModel({9, true, 1}), std::invalid_argument);
}

TEST(SignalModel, RealToIntegerConversionsTruncateAndSaturate) {
  struct Case {
    double value;
    uint16_t sample;
    uint8_t temperature;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {8196.9, 8196, 255}, {25.99, 25, 25}, {-0.5, 0, 0}, {-1e300, 0, 0},    {65535.9, 65535, 255}, {1e300, 65535, 255},
      {inf, 65535, 255},   {-inf, 0, 0},    {nan, 0, 0},  {255.5, 255, 255}, {256.0, 256, 255},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sim::ToSample(c.value), c.sample) << c.value;
    EXPECT_EQ(sim::ToTemperature(c.value), c.temperature) << c.value;
  }
}

}  // namespace
