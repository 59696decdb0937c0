#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "analysis/SelectionStatistics.h"
#include "analysis/SessionArrays.h"
#include "analysis/SessionNoise.h"

namespace {

TEST(SelectionStatistics, CountsEveryFrameOfTheClosedSpanAndOnlyShownChannels) {
  // Frames at 0, .25, .5, .75, 1, 1.5, (a second without frames) 3, 3.25, 3.5,
  // 3.75; channel 1's DC sample in frame f is 100 + 10 f, channel 2's is 7.
  analysis::LogSession session;
  analysis::LogFrame frame;
  frame.channels = 2;
  frame.samples[1] = 7;
  const int32_t seconds[] = {0, 0, 0, 0, 1, 1, 3, 3, 3, 3};
  for (int f = 0; f < 10; ++f) {
    frame.samples[0] = static_cast<uint16_t>(100 + 10 * f);
    session.Append(frame, 36000 + seconds[f], 0);
  }
  struct Case {
    double from, to;
    size_t count;
    double dcMean;
  } const cases[] = {
      {0.25, 1.0, 4, 125},  // both ends on a frame
      {1.6, 2.9, 0, 0},     // within the gap
      {1.5, 3.0, 2, 155},   // across the gap
      {3.75, 100, 1, 190},  // past the end
      {-5, 100, 10, 145},   // the whole log
      {2, 1, 0, 0},         // reversed
  };
  for (const Case& c : cases) {
    const auto rows = analysis::SelectionStatistics(session, c.from, c.to, {true, true, true});
    ASSERT_EQ(rows.size(), 4u) << c.from;
    for (const auto& row : rows) EXPECT_EQ(row.figures.count, c.count) << c.from << " " << row.channel << row.trace;
    EXPECT_EQ(rows[1].trace, "AC");
    EXPECT_DOUBLE_EQ(rows[0].figures.mean, c.dcMean) << c.from;
  }
  const auto second = analysis::SelectionStatistics(session, 0, 1, {false, true});
  EXPECT_TRUE(second.size() == 2 && second[0].channel == 2);
  // The log's rate, found from its boundaries alone, is what every frame's time gives.
  const std::vector<double> times = analysis::FrameTimes(session, 0, session.Frames());
  EXPECT_EQ(analysis::LogFrameRate(session), analysis::MeasureFrameRate(times.data(), times.size()));
}

TEST(SessionNoise, MeasuresShownChannelsOverTheMarkedSpans) {
  // 40 s at 333 frames/s: channel 1 alternates +-2 counts about 30000, with
  // a 1 Hz swing of 400 counts peak-to-peak from 32 s to 34 s; channel 2 is
  // hidden. The AC filter's start from rest has died away by 20 s.
  analysis::LogSession session;
  analysis::LogFrame frame;
  frame.channels = 2;
  for (int f = 0; f < 40 * 333; ++f) {
    const double t = f / 333.0;
    const double swing = t >= 32 && t < 34 ? 200 * std::sin(2 * 3.14159265358979323846 * (t - 32)) : 0;
    frame.samples[0] = static_cast<uint16_t>(30000 + (f % 2 == 0 ? 2 : -2) + std::lround(swing));
    session.Append(frame, 36000 + f / 333, 0);
  }
  analysis::NoiseMarks marks{{{20, 30}}, {{32, 34}}, {}};
  const auto rows = analysis::SessionNoise(session, {true, false}, marks);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].channel, 1);
  EXPECT_LT(rows[0].snr.quiet.peakToPeak, 10);
  EXPECT_GT(rows[0].snr.walk.peakToPeak, 300);
  ASSERT_TRUE(rows[0].snr.peakToPeakDb.has_value());
  EXPECT_GT(*rows[0].snr.peakToPeakDb, 30);
  ASSERT_EQ(rows[0].settling.size(), 1u);
  EXPECT_TRUE(rows[0].settling[0].seconds.has_value());
  const std::string csv = analysis::NoiseCsv(rows);
  const std::string line = csv.substr(csv.find('\n') + 1);
  EXPECT_EQ(std::count(line.begin(), line.end(), ','), 9) << csv;
  EXPECT_EQ(line.substr(0, 2), "1,");
}

}  // namespace
