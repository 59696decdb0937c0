#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

#include "analysis/Detector.h"

namespace {

using analysis::DetectorEvent;
using analysis::DetectorSettings;

constexpr double kStep = 0.1;

// A trace at 10 samples per second, 0 except for the pulses: each holds its
// value for three samples.
struct PulseSpec {
  double start;
  double value;
};

struct Trace {
  std::vector<double> values, times;
};

Trace MakeTrace(const std::vector<PulseSpec>& pulses, double seconds) {
  Trace trace;
  const auto n = static_cast<size_t>(std::lround(seconds / kStep));
  trace.values.assign(n, 0);
  for (size_t i = 0; i < n; ++i) trace.times.push_back(kStep * static_cast<double>(i));
  for (const PulseSpec& p : pulses) {
    const auto at = static_cast<size_t>(std::lround(p.start / kStep));
    std::fill_n(trace.values.begin() + static_cast<std::ptrdiff_t>(at), 3, p.value);
  }
  return trace;
}

std::vector<DetectorEvent> Detect(const Trace& trace, const DetectorSettings& settings) {
  analysis::Detector detector(3, analysis::ThresholdCounts(settings, 10), settings);
  detector.Feed(trace.values.data(), trace.times.data(), trace.values.size());
  return detector.Events();
}

struct RuleCase {
  const char* name;
  DetectorSettings settings;  // threshold, inQuietRms, pulses, window, blind, alternate, single-pulse multiple, warm-up
  std::vector<PulseSpec> pulses;
  std::vector<double> eventTimes;
  std::vector<double> firstPulseTimes;
};

TEST(Detector, FollowsPulseCountWindowBlindTimeAndAlternation) {
  const std::vector<RuleCase> cases = {
      {"one pulse each", {40, false, 1, 5, 0, false}, {{1, 50}, {2, -60}}, {1, 2}, {1, 2}},
      {"threshold in quiet RMS", {5, true, 1, 5, 0, false}, {{1, 45}, {2, 55}}, {2}, {2}},
      {"inside the band is no pulse", {40, false, 1, 5, 0, false}, {{1, 40}, {2, -40}}, {}, {}},
      {"two within the window", {40, false, 2, 2, 0, false}, {{1, 50}, {2.5, 50}, {5, 50}, {8, 50}}, {2.5}, {1}},
      {"window slides past old pulses", {40, false, 2, 2, 0, false}, {{1, 50}, {4, 50}, {5.5, 50}}, {5.5}, {4}},
      {"blind time after an event",
       {40, false, 1, 5, 3, false},
       {{1, 50}, {2, 50}, {3.9, 50}, {4.5, 50}},
       {1, 4.5},
       {1, 4.5}},
      {"alternation restarts on same sign", {40, false, 2, 5, 0, true}, {{1, 50}, {2, 50}, {3, -50}}, {3}, {2}},
      {"without alternation same sign counts", {40, false, 2, 5, 0, false}, {{1, 50}, {2, 50}, {3, -50}}, {2}, {1}},
      {"three alternating", {40, false, 3, 5, 0, true}, {{1, 50}, {2, -50}, {3, 50}}, {3}, {1}},
      {"one big pulse fires alone", {40, false, 3, 5, 0, false, 5}, {{1, 50}, {2, -200}, {9, 199}}, {2}, {2}},
      {"big pulse without the rule", {40, false, 3, 5, 0, false, 0}, {{1, 50}, {2, -200}, {9, 199}}, {}, {}},
      {"big pulse inside blind time",
       {40, false, 3, 5, 3, false, 5},
       {{1, 50}, {2, 250}, {3.5, -250}, {6, 250}},
       {2, 6},
       {2, 6}},
      {"count reached first", {40, false, 2, 5, 0, false, 5}, {{1, 50}, {2, 250}, {3, 50}}, {2}, {1}},
      {"warm-up blanks the start", {40, false, 1, 5, 0, false, 0, 3}, {{1, 50}, {2.7, 50}, {3.2, 50}}, {3.2}, {3.2}},
  };
  for (const RuleCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto events = Detect(MakeTrace(c.pulses, 12), c.settings);
    ASSERT_EQ(events.size(), c.eventTimes.size());
    for (size_t i = 0; i < events.size(); ++i) {
      EXPECT_NEAR(events[i].time, c.eventTimes[i], 1e-9);
      EXPECT_NEAR(events[i].firstPulseTime, c.firstPulseTimes[i], 1e-9);
      // A single-pulse event holds its one pulse; the rows show it by its first pulse time.
      if (c.settings.singlePulseMultiple == 0) {
        EXPECT_EQ(events[i].pulses, c.settings.pulses);
      }
      EXPECT_EQ(events[i].channel, 3);
    }
  }
}

TEST(Detector, WarmsUpAgainAfterAGap) {
  // Pulses at 1, 6 and 9 s; frames after 5 s come 5 s later, as after a reconnect.
  Trace trace = MakeTrace({{1, 50}, {6, 50}, {9, 50}}, 12);
  for (double& t : trace.times)
    if (t > 5 - 1e-9) t += 5;
  const struct {
    double warmUp;
    std::vector<double> eventTimes;
  } cases[] = {{0, {1, 11, 14}}, {3, {14}}};
  for (const auto& c : cases) {
    DetectorSettings settings{40, false, 1, 5, 0, false, 0, c.warmUp};
    std::vector<double> times;
    for (const DetectorEvent& e : Detect(trace, settings)) times.push_back(e.time);
    ASSERT_EQ(times.size(), c.eventTimes.size()) << c.warmUp;
    for (size_t i = 0; i < times.size(); ++i) EXPECT_NEAR(times[i], c.eventTimes[i], 1e-9) << c.warmUp;
  }
}

TEST(Detector, PeakIsLargestExcursionAndMarginIsOverThreshold) {
  // Straight from one side to the other: two pulses, the second the larger.
  Trace trace{{0, 60, 20, 30, -80, 0, 0}, {0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6}};
  const auto events = Detect(trace, {10, false, 2, 5, 0, false});
  ASSERT_EQ(events.size(), 1u);
  EXPECT_DOUBLE_EQ(events[0].time, 0.4);
  EXPECT_DOUBLE_EQ(events[0].firstPulseTime, 0.1);
  EXPECT_DOUBLE_EQ(events[0].peak, 80);
  EXPECT_DOUBLE_EQ(events[0].MarginDb(), 20 * std::log10(8.0));
  // A pulse still out when the data ends is not counted.
  Trace open{{0, 0, 60}, {0, 0.1, 0.2}};
  EXPECT_TRUE(Detect(open, {10, false, 1, 5, 0, false}).empty());
}

TEST(Detector, RejectsUnusableSettings) {
  EXPECT_THROW(analysis::Detector(1, -1, {}), std::invalid_argument);
  EXPECT_THROW(analysis::Detector(1, NAN, {}), std::invalid_argument);
  EXPECT_THROW(analysis::Detector(1, 40, {40, false, 0, 5, 2, false}), std::invalid_argument);
  EXPECT_THROW(analysis::Detector(1, 40, {40, false, 1, -5, 2, false}), std::invalid_argument);
  EXPECT_THROW(analysis::Detector(1, 40, {40, false, 1, 5, 2, false, NAN}), std::invalid_argument);
  EXPECT_THROW(analysis::Detector(1, 40, {40, false, 1, 5, 2, false, 0, -1}), std::invalid_argument);
}

TEST(Detector, SameEventsWhetherFedWholeOrInPieces) {
  const size_t n = 60000;
  std::vector<double> values(n), times(n);
  std::mt19937_64 random(7);
  std::normal_distribution<double> noise(0, 12);
  for (size_t i = 0; i < n; ++i) {
    times[i] = 0.003 * static_cast<double>(i);
    values[i] = noise(random) + 60 * std::sin(times[i] * 2) * std::sin(times[i] * 0.3);
  }
  const DetectorSettings settings{30, false, 2, 3, 1, true};
  analysis::Detector whole(1, 30, settings);
  whole.Feed(values.data(), times.data(), n);
  ASSERT_GT(whole.Events().size(), 3u);

  analysis::Detector lineByLine(1, 30, settings);
  for (size_t i = 0; i < n; ++i) lineByLine.Feed(&values[i], &times[i], 1);
  analysis::Detector chunked(1, 30, settings);
  std::uniform_int_distribution<size_t> chunk(0, 700);
  for (size_t i = 0; i < n;) {
    const size_t len = std::min(chunk(random), n - i);
    chunked.Feed(values.data() + i, times.data() + i, len);
    i += len;
  }
  for (const analysis::Detector* other : {&lineByLine, &chunked}) {
    ASSERT_EQ(other->Events().size(), whole.Events().size());
    for (size_t i = 0; i < whole.Events().size(); ++i) {
      EXPECT_EQ(other->Events()[i].time, whole.Events()[i].time);
      EXPECT_EQ(other->Events()[i].peak, whole.Events()[i].peak);
    }
  }
}

TEST(Detector, EventTableMergesMarksInTimeOrder) {
  DetectorEvent e;
  e.time = 2.5;
  e.channel = 4;
  e.peak = 80;
  e.threshold = 40;
  e.pulses = 2;
  EXPECT_EQ(analysis::EventTableCsv({e}, {{3, 0, "walk ends, \"slow\""}, {1, 2, "walk starts"}}),
            "time_s,channel,kind,peak,margin_db,pulses,label\n"
            "1,2,mark,,,,walk starts\n"
            "2.5,4,event,80,6.020599913279624,2,\n"
            "3,0,mark,,,,\"walk ends, \"\"slow\"\"\"\n");
  EXPECT_DOUBLE_EQ(analysis::EventsPerHour(3, 1800), 6);
  EXPECT_EQ(analysis::EventsPerHour(3, 0), 0);
}

TEST(Detector, WhatIfCountsCaughtWalksAndFalseEventsPerQuietHour) {
  // Walks at 0.5..1.5 s and 10..11 s of a 20 s log; pulses of 80 in the
  // first walk and at 5 s, of 30 in the second walk.
  const Trace trace = MakeTrace({{1, 80}, {5, -80}, {10.2, 30}}, 20.1);
  const analysis::SampleSeries<double> ac{trace.values.data(), trace.times.data(), trace.values.size()};
  const auto grid = analysis::SettingsGrid({0, false, 1, 3, 0, false}, {20, 50}, {1, 2});
  ASSERT_EQ(grid.size(), 4u);
  const auto results = analysis::RunWhatIf({{1, ac, 5}, {2, ac, 5}}, grid, {{0.5, 1.5}, {10, 11}});
  ASSERT_EQ(results.size(), 4u);
  const int caught[] = {2, 0, 1, 0};
  const size_t falseEvents[] = {2, 0, 2, 0};  // one per channel at 5 s; no two pulses lie within 3 s
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(results[i].walksCaught, caught[i]);
    EXPECT_EQ(results[i].walksMissed, 2 - caught[i]);
    EXPECT_EQ(results[i].falseEvents, falseEvents[i]);
    EXPECT_DOUBLE_EQ(results[i].quietHours, 18.0 / 3600);
  }
  EXPECT_DOUBLE_EQ(results[0].falsePerQuietHour, 400);
}

}  // namespace
