#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

#include "analysis/ColumnStrokes.h"
#include "analysis/LogLoader.h"
#include "analysis/LogSession.h"
#include "analysis/SpanExport.h"
#include "analysis/TimeTicks.h"
#include "analysis/TraceColumns.h"
#include "tests/support/FileText.h"
#include "tests/support/LogText.h"
#include "tests/support/ScratchDirectory.h"

namespace {

using analysis::LogSession;
using analysis::Trace;

std::string WallClock(int64_t localSecond) {
  return analysis::CivilDateText(localSecond / analysis::kSecondsPerDay) + " " + analysis::TimeOfDayText(localSecond);
}

TEST(TimeLine, PlacesFramesEvenlyWithinTheirSecondsAcrossGapsAndMidnight) {
  struct Case {
    const char* fileName;
    std::vector<const char*> stamps;
    std::vector<double> times;
    const char* start;
  };
  const Case cases[] = {
      {"2026-12-07_14-05-09.csv",
       {"14:05:09", "14:05:09", "14:05:10", "14:05:10", "14:05:10", "14:05:10"},
       {0, 0.5, 1, 1.25, 1.5, 1.75},
       "2026-12-07 14:05:09"},
      {"2026-12-07_14-05-09.csv", {"2:05:09 PM", "2:05:12 PM", "2:05:12 PM"}, {0, 3, 3.5}, "2026-12-07 14:05:09"},
      {"dir/2026-12-31_23-59-59.csv", {"23:59:59", "12:00:00 AM", "0:00:01"}, {0, 1, 2}, "2026-12-31 23:59:59"},
      {"2026-12-07_23-59-59.csv", {"00:00:01", "00:00:01"}, {0, 0.5}, "2026-12-08 00:00:01"},
      {"no-date.csv", {"11:00:00 AM", "10:59:59"}, {0, 0.5}, "1970-01-01 11:00:00"},  // clock set back
  };
  for (const Case& c : cases) {
    analysis::TimeLine times(analysis::ParseLogFileName(c.fileName));
    for (const char* stamp : c.stamps) times.Append(*analysis::ParseTimeOfDay(stamp));
    std::vector<double> placed;
    for (uint64_t f = 0; f < times.Frames(); ++f) placed.push_back(times.FrameTime(f));
    EXPECT_EQ(placed, c.times) << c.fileName << " " << c.stamps[0];
    EXPECT_EQ(WallClock(times.StartSecond()), c.start) << c.fileName;
  }
  for (const char* unreadable : {"14.05.09", "24:00:00", "13:00:00 PM", "0:00:00 AM", "14:5:09", "14:05:09 XM", ""}) {
    EXPECT_FALSE(analysis::ParseTimeOfDay(unreadable)) << unreadable;
  }
}

TEST(TimeTicks, FallOnRoundClockTimesAtEveryZoom) {
  const int64_t start = 14 * 3600 + 5 * 60 + 7;  // the log starts at 14:05:07
  struct Case {
    double from, span, maxTicks;
    double step;
    int decimals;
    std::vector<double> first;  // the first ticks
  };
  const Case cases[] = {
      {0, 180, 9, 30, 0, {23, 53, 83}},               // 14:05:30, 14:06:00, ...
      {0, 39600, 8, 7200, 0, {6893, 14093}},          // 11 hours: 16:00, 18:00, ...
      {10, 3, 6, 0.5, 1, {10, 10.5, 11}},             // below a second, from the log's seconds
      {1.2345, 0.05, 5, 0.01, 2, {1.24, 1.25}},       // hundredths
      {0, 3 * 86400.0, 2, 2 * 86400.0, 0, {122093}},  // whole days, on midnight
  };
  for (const Case& c : cases) {
    const auto ticks = analysis::ComputeTimeTicks(c.from, c.span, c.maxTicks, start);
    EXPECT_DOUBLE_EQ(ticks.step, c.step) << c.span;
    EXPECT_EQ(ticks.decimals, c.decimals) << c.span;
    ASSERT_GE(ticks.times.size(), c.first.size()) << c.span;
    for (size_t i = 0; i < c.first.size(); ++i) EXPECT_NEAR(ticks.times[i], c.first[i], 1e-9) << c.span;
    EXPECT_LE(ticks.times.back(), c.from + c.span) << c.span;
  }
  EXPECT_TRUE(analysis::ComputeTimeTicks(0, 0, 5, start).times.empty());
  EXPECT_TRUE(analysis::ComputeTimeTicks(0, NAN, 5, start).times.empty());
}

// Every frame's DC sample and AC output lies inside what its pixel column
// shows, as a value range and as the rows of its stroke, at random zooms
// from single frames to the whole log, against the raw samples and the
// filter run once from the first frame.
TEST(TraceColumns, EveryValueLiesInsideItsColumnAtAnyZoom) {
  std::mt19937_64 random(20);
  LogSession session(analysis::ParseLogFileName("2026-12-07_10-00-00.csv"));
  constexpr int kChannels = 2;
  std::vector<std::vector<double>> dc(kChannels), ac(kChannels);
  std::vector<acq::AcFilterState> filters(kChannels);
  analysis::LogFrame frame;
  frame.channels = kChannels;
  for (int32_t second = 36000; session.Frames() < 30000; ++second) {
    const int perSecond = random() % 4 == 0 ? 0 : static_cast<int>(random() % 60) + 1;  // 0: a gap
    for (int i = 0; i < perSecond; ++i) {
      for (int k = 0; k < kChannels; ++k) {
        frame.samples[k] = static_cast<uint16_t>(random() % 50 == 0 ? random() : 8000 + random() % 400);
        dc[k].push_back(frame.samples[k]);
        ac[k].push_back(acq::AcFilterStep(filters[k], frame.samples[k]));
      }
      session.Append(frame, second, 0);
    }
  }
  // The AC trace recomputed from a checkpoint is the live filter's own output, to the bit.
  const uint64_t from = 3000 + random() % 5000;
  EXPECT_EQ(session.Values(2, Trace::Ac, from, from + 4000),
            std::vector<double>(ac[1].begin() + static_cast<std::ptrdiff_t>(from),
                                ac[1].begin() + static_cast<std::ptrdiff_t>(from + 4000)));
  const double duration = session.Times().Duration();
  // Past the end of a log whose frames fill whole checkpoints: nothing to show.
  LogSession whole;
  for (uint64_t f = 0; f < LogSession::kCheckpointFrames; ++f) whole.Append(frame, 0, 0);
  const auto past = analysis::ColumnBounds(whole.Times(), {2, 0.5, 4});
  for (const auto& column : analysis::TraceColumns(whole, 1, Trace::Ac, past)) EXPECT_TRUE(column.empty);
  for (int zoom = 0; zoom < 40; ++zoom) {
    analysis::ColumnSpan span;
    span.width = 1 + static_cast<int>(random() % 600);
    span.step = duration / span.width * std::pow(10.0, -5.0 * static_cast<double>(random() % 1000) / 1000);
    span.start = static_cast<double>(random() % 1000) / 1000 * duration - span.step;
    const auto bounds = analysis::ColumnBounds(session.Times(), span);
    for (int k = 0; k < kChannels; ++k) {
      for (const auto& [trace, values] : {std::pair{Trace::Dc, &dc[k]}, std::pair{Trace::Ac, &ac[k]}}) {
        const auto columns = analysis::TraceColumns(session, k + 1, trace, bounds);
        double low = INFINITY, high = -INFINITY;
        for (const auto& column : columns) {
          if (!column.empty) low = std::min(low, column.low), high = std::max(high, column.high);
        }
        const analysis::RowScale scale(low, high + 1, 10, 1 + static_cast<double>(random() % 1000));
        std::vector<const analysis::ColumnStroke*> strokeOf(columns.size(), nullptr);
        const auto strokes = analysis::ColumnStrokes(columns, bounds, session.Times(), scale);
        for (const auto& stroke : strokes) strokeOf[static_cast<size_t>(stroke.column)] = &stroke;
        for (size_t x = 0; x < columns.size(); ++x) {
          for (uint64_t f = bounds[x]; f < bounds[x + 1]; ++f) {
            const double t = session.Times().FrameTime(f);
            ASSERT_TRUE(t >= span.start + x * span.step && t < span.start + (x + 1) * span.step) << f;
            ASSERT_FALSE(columns[x].empty);
            ASSERT_LE(columns[x].low, (*values)[f]) << "zoom " << zoom << " frame " << f;
            ASSERT_GE(columns[x].high, (*values)[f]) << "zoom " << zoom << " frame " << f;
            ASSERT_NE(strokeOf[x], nullptr);
            const int32_t row = scale.Row((*values)[f]);
            ASSERT_TRUE(strokeOf[x]->top <= row && row <= strokeOf[x]->bottom) << "zoom " << zoom << " frame " << f;
          }
        }
      }
    }
  }
}

TEST(SpanExport, ASelectionReopensByteForByteToTheSameFrames) {
  support::ScratchDirectory scratch;
  const std::string logPath = (scratch.Path() / "2026-12-07_23-59-58.csv").string();
  std::string expected;
  {
    std::ofstream log(logPath, std::ios::binary);
    const char* stamps[] = {"23:59:58", "23:59:59", "23:59:59", "00:00:00", "00:00:02", "00:00:03"};
    uint16_t sample = 100;
    for (const char* stamp : stamps) {
      const std::string line = support::LogLineText(stamp, {sample, uint16_t(sample + 1)}, {20, 255});
      ++sample;
      log << line << "garbage\r\n";
      const std::string_view s(stamp);
      if (s == "23:59:59" || s == "00:00:00" || s == "00:00:02") expected += line;
    }
  }
  LogSession session(analysis::ParseLogFileName(logPath));
  uint64_t skipped = 0;
  std::string error;
  ASSERT_TRUE(analysis::ReadWholeLog(logPath, session, skipped, error)) << error;
  EXPECT_EQ(skipped, 6u);

  uint64_t first = 0, end = 0;
  analysis::WholeSecondsSpan(session, 1.2, 4.2, first, end);  // inside 23:59:59 to inside 00:00:02
  EXPECT_EQ(analysis::SpanFileName(session, first), "2026-12-07_23-59-59.csv");
  const std::string spanPath = (scratch.Path() / analysis::SpanFileName(session, first)).string();
  {
    std::ofstream out(spanPath, std::ios::binary);
    ASSERT_TRUE(analysis::CopySpan(logPath, session, first, end, out, error)) << error;
  }
  EXPECT_EQ(support::FileText(spanPath), expected);

  LogSession reopened(analysis::ParseLogFileName(spanPath));
  ASSERT_TRUE(analysis::ReadWholeLog(spanPath, reopened, skipped, error)) << error;
  ASSERT_EQ(reopened.Frames(), end - first);
  const double shift = static_cast<double>(reopened.Times().StartSecond() - session.Times().StartSecond());
  for (uint64_t f = 0; f < reopened.Frames(); ++f) {
    EXPECT_EQ(reopened.Times().FrameTime(f) + shift, session.Times().FrameTime(first + f));
    EXPECT_EQ(reopened.Sample(2, f), session.Sample(2, first + f));
    EXPECT_EQ(reopened.Values(2, Trace::Temperature, f, f + 1), std::vector<double>{-1});
  }
}

}  // namespace
