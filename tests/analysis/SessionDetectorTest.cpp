#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "analysis/SessionDetector.h"

namespace {

using analysis::DetectorEvent;
using analysis::DetectorSetup;
using analysis::LogFrame;

constexpr int kFramesPerSecond = 333;
constexpr int kSeconds = 40;

/// Three channels of noise about mid-scale with walks at 10-14 s and 25-28 s.
std::vector<LogFrame> MakeFrames() {
  std::mt19937 random(11);
  std::normal_distribution<double> noise(0, 6);
  std::vector<LogFrame> frames;
  for (int i = 0; i < kSeconds * kFramesPerSecond; ++i) {
    const double t = static_cast<double>(i) / kFramesPerSecond;
    const bool walking = (t > 10 && t < 14) || (t > 25 && t < 28);
    LogFrame frame;
    frame.channels = 3;
    for (size_t c = 0; c < 3; ++c) {
      const double swing = walking ? 200.0 * static_cast<double>(c + 1) * std::sin(6 * t) : 0;
      frame.samples[c] = static_cast<uint16_t>(std::lround(32768 + swing + noise(random)));
    }
    frames.push_back(frame);
  }
  return frames;
}

void Append(analysis::LogSession& session, const std::vector<LogFrame>& frames, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i) {
    session.Append(frames[i], 36000 + static_cast<int32_t>(i / kFramesPerSecond), 0);
  }
}

void ExpectSameEvents(const std::vector<DetectorEvent>& a, const std::vector<DetectorEvent>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].time, b[i].time);
    EXPECT_EQ(a[i].channel, b[i].channel);
    EXPECT_EQ(a[i].peak, b[i].peak);
    EXPECT_EQ(a[i].threshold, b[i].threshold);
  }
}

// A log followed as it grows, cut anywhere within a second, gives at every
// step the events of the same frames read whole.
TEST(SessionDetector, FollowedLogGivesTheEventsOfTheSameFramesReadWhole) {
  const struct {
    const char* name;
    DetectorSetup setup;
  } cases[] = {
      {"counts, with a warm-up", {{100, false, 2, 3, 1, true, 0, 4}, {}}},
      {"quiet RMS of settled frames", {{8, true, 1, 5, 2, false, 0}, {{15, 24}}}},
      {"quiet span reaching past the end", {{8, true, 2, 5, 0.5, false, 3}, {{15, 24}, {30, 1000}}}},
  };
  const std::vector<LogFrame> frames = MakeFrames();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    analysis::LogSession followed;
    analysis::SessionDetector detector;
    std::mt19937 random(5);
    std::uniform_int_distribution<size_t> chunk(1, 900);
    for (size_t fed = 0; fed < frames.size();) {
      const size_t next = std::min(frames.size(), fed + chunk(random));
      Append(followed, frames, fed, next);
      fed = next;
      detector.Update(followed, c.setup);
      analysis::SessionDetector whole;
      whole.Update(followed, c.setup);
      ExpectSameEvents(detector.Events(), whole.Events());
      if (HasFatalFailure()) return;
    }
    EXPECT_GE(detector.Events().size(), 4u);
  }
}

// Any knob changed starts the run again, so the events are those of the new settings.
TEST(SessionDetector, EveryChangedSettingRestartsTheRun) {
  analysis::LogSession session;
  Append(session, MakeFrames(), 0, static_cast<size_t>(kSeconds * kFramesPerSecond));
  const analysis::DetectorSettings base{100, false, 1, 3, 1, false, 0, 0};
  std::vector<analysis::DetectorSettings> changed(7, base);
  changed[0].threshold = 300;
  changed[1].pulses = 3;
  changed[2].windowSeconds = 0.5;
  changed[3].blindSeconds = 5;
  changed[4].alternate = true;
  changed[5].singlePulseMultiple = 2;
  changed[6].warmUpSeconds = 12;
  for (const analysis::DetectorSettings& settings : changed) {
    analysis::SessionDetector followed;
    followed.Update(session, {base, {}});
    followed.Update(session, {settings, {}});
    analysis::SessionDetector fresh;
    fresh.Update(session, {settings, {}});
    ExpectSameEvents(followed.Events(), fresh.Events());
  }
}

TEST(SessionDetector, ThresholdInQuietRmsNeedsQuietSamples) {
  analysis::LogSession session;
  Append(session, MakeFrames(), 0, 5 * kFramesPerSecond);
  analysis::SessionDetector detector;
  for (const std::vector<analysis::TimeSpan>& quiet :
       {std::vector<analysis::TimeSpan>{}, std::vector<analysis::TimeSpan>{{100, 200}}}) {
    detector.Update(session, {{3, true, 1, 5, 0, false, 0}, quiet});
    EXPECT_TRUE(detector.LacksQuietSpans());
    EXPECT_TRUE(detector.Events().empty());
  }
  detector.Update(session, {{3, true, 1, 5, 0, false, 0}, {{0, 4}}});
  EXPECT_FALSE(detector.LacksQuietSpans());
}

}  // namespace
