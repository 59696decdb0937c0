// Rotation: where boundaries fall on the wall clock, and that every frame
// lands in exactly one file around them.
#include <gtest/gtest.h>

#include "RecorderFixture.h"
#include "recorder/Rotation.h"
#include "tests/support/BoardFrames.h"
#include "tests/support/FileText.h"

namespace {

using std::chrono::seconds;

constexpr std::time_t kMidnight = 1796601600;                 // 2026-12-07 00:00:00 UTC
[[maybe_unused]] constexpr std::time_t kSpring = 1774742400;  // 2026-03-29 00:00 UTC: 02:00 CET is 03:00 CEST at 01:00
[[maybe_unused]] constexpr std::time_t kAutumn = 1792886400;  // 2026-10-25 00:00 UTC: 03:00 CEST is 02:00 CET at 01:00

TEST(NextBoundary, FallsOnTheWallClock) {
  struct Case {
    const char* zone;
    std::time_t at;
    seconds period;
    std::time_t expected;
  };
  const Case cases[] = {
      {"UTC0", kMidnight + 50709, seconds(3600), kMidnight + 54000},     // 14:05:09, on the hour
      {"UTC0", kMidnight + 50400, seconds(3600), kMidnight + 54000},     // on a boundary: the next one
      {"UTC0", kMidnight + 50709, seconds(90), kMidnight + 50760},       // 90 s divides the day
      {"UTC0", kMidnight + 50709, seconds(420), kMidnight + 50820},      // 7 min from midnight on
      {"UTC0", kMidnight + 86000, seconds(420), kMidnight + 86100},      // 23:55, the day's last 7-min mark
      {"UTC0", kMidnight + 86200, seconds(420), kMidnight + 86400},      // then midnight, not 00:02
      {"UTC0", kMidnight + 50709, seconds(172800), kMidnight + 172800},  // day 20794 is even: the next even day
#ifndef _WIN32  // the C runtime of Windows reads no daylight saving rules from TZ
      // 01:30 CET: 02:00 does not exist that night; the hour's file starts at 03:00 CEST.
      {"CET-1CEST,M3.5.0,M10.5.0/3", kSpring + 1800, seconds(3600), kSpring + 3600},
      // 02:30 CEST, and 02:30 CET an hour later: the repeated hour starts no file of its own.
      {"CET-1CEST,M3.5.0,M10.5.0/3", kAutumn + 1800, seconds(3600), kAutumn + 7200},
      {"CET-1CEST,M3.5.0,M10.5.0/3", kAutumn + 5400, seconds(3600), kAutumn + 7200},
#endif
  };
  for (const Case& c : cases) {
    testenv::SetVariable("TZ", c.zone);
    testenv::ReloadTimeZone();
    EXPECT_EQ(rec::NextBoundary(c.at, c.period), c.expected)
        << c.zone << ", " << c.at << ", every " << c.period.count();
  }
}

TEST_F(RecorderTest, RotationPutsEveryFrameInExactlyOneFile) {
  struct Step {
    int advance;  ///< seconds the wall clock moves first
    int frames;   ///< then frames arrive
  };
  struct Case {
    const char* name;
    seconds period;
    std::vector<Step> steps;
    std::vector<std::pair<std::string, uint64_t>> files;  ///< names and lines
  };
  const Case cases[] = {
      {"on the hour",
       seconds(3600),
       {{0, 10}, {1, 10}, {1, 10}, {1, 10}},
       {{"2026-12-07_13-59-58.csv", 20}, {"2026-12-07_14-00-00.csv", 20}}},
      {"a quiet boundary starts a file all the same",
       seconds(60),
       {{0, 5}, {10, 0}, {60, 5}},
       {{"2026-12-07_13-59-58.csv", 5}, {"2026-12-07_14-00-00.csv", 0}, {"2026-12-07_14-01-00.csv", 5}}},
      {"a clock set forward past boundaries names the file after now",
       seconds(60),
       {{0, 5}, {3600, 5}},
       {{"2026-12-07_13-59-58.csv", 5}, {"2026-12-07_14-59-58.csv", 5}}},
  };
  int seed = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::filesystem::path dir = scratch.Path() / std::to_string(++seed);
    std::filesystem::create_directory(dir);
    now = kMidnight + 50398;  // 13:59:58
    ASSERT_TRUE(Make({"", 115200, dir.string(), c.period, {}}).Start()) << recorder->Failure();
    std::string sent;
    for (const Step& step : c.steps) {
      now += step.advance;
      sent += support::BoardFrames(step.frames, 8, true, ++seed);
      Feed(support::BoardFrames(step.frames, 8, true, seed));
    }
    ASSERT_TRUE(recorder->Finish()) << recorder->Failure();
    for (const auto& [name, lines] : c.files) {
      const std::string text = support::FileText(dir / name);
      EXPECT_EQ(static_cast<uint64_t>(std::count(text.begin(), text.end(), '\n')), lines) << name;
    }
    EXPECT_EQ(static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir), {})), c.files.size());
    EXPECT_TRUE(LoggedFrames(dir) == support::DecodeFrames(sent)) << "a frame lost or doubled";
  }
}

}  // namespace
