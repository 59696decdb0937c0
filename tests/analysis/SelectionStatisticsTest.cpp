#include <gtest/gtest.h>

#include "analysis/SelectionStatistics.h"

namespace {

using analysis::LogSession;

/// Channel 1's DC sample in frame f: 100 + 10 f; channel 2's is constant.
LogSession GappedSession() {
  LogSession session;
  analysis::LogFrame frame;
  frame.channels = 2;
  uint64_t f = 0;
  // Four frames in second 0, two in second 1, none in second 2, four in second 3:
  // times 0, .25, .5, .75, 1, 1.5, 3, 3.25, 3.5, 3.75.
  for (const auto& [second, count] : {std::pair{0, 4}, {1, 2}, {3, 4}}) {
    for (int i = 0; i < count; ++i, ++f) {
      frame.samples[0] = static_cast<uint16_t>(100 + 10 * f);
      frame.samples[1] = 7;
      session.Append(frame, 36000 + second, 0);
    }
  }
  return session;
}

TEST(SelectionStatistics, CountsEveryFrameOfTheClosedSpanAndOnlyShownChannels) {
  const LogSession session = GappedSession();
  struct Case {
    double from, to;
    size_t count;
    double dcMean;  // channel 1
  };
  const Case cases[] = {
      {0.25, 1.0, 4, 125},  // frames 1..4, both ends on a frame
      {1.6, 2.9, 0, 0},     // within the gap
      {3.75, 100, 1, 190},  // the last frame only
      {-5, 100, 10, 145},   // beyond both ends: the whole log
      {2, 1, 0, 0},         // reversed
      {1.5, 3.0, 2, 155},   // across the gap
  };
  for (const Case& c : cases) {
    const auto rows = analysis::SelectionStatistics(session, c.from, c.to, {true, true, true});
    ASSERT_EQ(rows.size(), 4u) << c.from;
    for (const auto& row : rows) EXPECT_EQ(row.figures.count, c.count) << c.from << " " << row.channel << row.trace;
    EXPECT_EQ(rows[0].trace, "DC");
    EXPECT_EQ(rows[1].trace, "AC");
    EXPECT_DOUBLE_EQ(rows[0].figures.mean, c.dcMean) << c.from;
  }
  const auto second = analysis::SelectionStatistics(session, 0, 1, {false, true});
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(second[0].channel, 2);
  EXPECT_EQ(second[0].figures.peakToPeak, 0);
  EXPECT_EQ(second[0].figures.count, 5u);
}

}  // namespace
