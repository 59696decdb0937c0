#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <stdexcept>

#include "tools/FrameGenerator.h"
#include "tools/SignalModel.h"

namespace {

constexpr int kFramesPerSecond = 333;

TEST(SignalModel, ChannelSignalDependsOnTheSeedAloneNotOnTheChannelCount) {
  sim::FrameGenerator one({1, true, 7});
  sim::FrameGenerator eight({8, true, 7});
  sim::FrameGenerator otherSeed({1, true, 8});
  bool channelsDiffer = false;
  bool seedsDiffer = false;
  for (int i = 0; i < 3000; ++i) {
    const sim::FrameValues& a = one.Next().frame;
    const sim::FrameValues& b = eight.Next().frame;
    ASSERT_EQ(a.samples[0], b.samples[0]) << "frame " << i;
    ASSERT_EQ(a.temperatures[0], b.temperatures[0]) << "frame " << i;
    channelsDiffer = channelsDiffer || b.samples[0] != b.samples[1];
    seedsDiffer = seedsDiffer || a.samples[0] != otherSeed.Next().frame.samples[0];
  }
  EXPECT_TRUE(channelsDiffer);
  EXPECT_TRUE(seedsDiffer);
}

// A baseline near 8196 counts, swings of a few hundred counts when something
// moves, a few counts of noise from frame to frame, and 20 to 30 degrees.
TEST(SignalModel, LooksLikeAPirBoard) {
  for (const uint64_t seed : {1u, 2u, 99u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    sim::SignalModel model({8, true, seed});
    std::vector<std::vector<uint16_t>> channels(8);  // [channel][frame]
    std::vector<uint16_t> samples;
    std::vector<uint8_t> temperatures;
    for (int i = 0; i < 120 * kFramesPerSecond; ++i) {
      model.Next(samples, temperatures);
      for (size_t k = 0; k < samples.size(); ++k) {
        channels[k].push_back(samples[k]);
        ASSERT_TRUE(temperatures[k] >= 20 && temperatures[k] <= 30) << int{temperatures[k]};
      }
    }
    double largestSwing = 0;
    for (const auto& s : channels) {
      double sum = 0;
      std::vector<int> steps;
      for (size_t i = 0; i < s.size(); ++i) {
        sum += s[i];
        if (i > 0) steps.push_back(std::abs(s[i] - s[i - 1]));
      }
      EXPECT_NEAR(sum / s.size(), 8196.0, 150.0);
      const auto [lo, hi] = std::minmax_element(s.begin(), s.end());
      EXPECT_GT(*lo, 8196 - 1200);
      EXPECT_LT(*hi, 8196 + 1200);
      std::nth_element(steps.begin(), steps.begin() + static_cast<long>(steps.size() / 2), steps.end());
      EXPECT_GE(steps[steps.size() / 2], 1) << "median step";
      EXPECT_LE(steps[steps.size() / 2], 8) << "median step";
      // Largest peak-to-peak within any one-second window.
      for (size_t start = 0; start + kFramesPerSecond <= s.size(); start += kFramesPerSecond / 2) {
        const auto window = std::minmax_element(s.begin() + static_cast<long>(start),
                                                s.begin() + static_cast<long>(start + kFramesPerSecond));
        largestSwing = std::max(largestSwing, static_cast<double>(*window.second - *window.first));
      }
    }
    EXPECT_GT(largestSwing, 200.0);
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
  const Case cases[] = {
      {8196.9, 8196, 255},   {25.99, 25, 25},     {-0.5, 0, 0},      {std::numeric_limits<double>::quiet_NaN(), 0, 0},
      {65535.9, 65535, 255}, {1e300, 65535, 255}, {256.0, 256, 255},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sim::ToSample(c.value), c.sample) << c.value;
    EXPECT_EQ(sim::ToTemperature(c.value), c.temperature) << c.value;
  }
}

}  // namespace
