#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <optional>

#include "logging/CsvLog.h"
#include "tests/support/ProcessEnvironment.h"

namespace {

TEST(LogFileName, FormatsEveryFieldZeroPaddedWithoutOverflow) {
  struct Case {
    int yearsSince1900, month0, day, hour, minute, second;
    const char* expected;
  };
  const Case cases[] = {
      {126, 11, 7, 0, 38, 23, "2026-12-07_00-38-23.csv"},
      {-901, 2, 4, 5, 6, 7, "0999-03-04_05-06-07.csv"},
      {10445, 2, 4, 5, 6, 7, "12345-03-04_05-06-07.csv"},
      {std::numeric_limits<int>::max(), 0, 1, 0, 0, 0, "2147485547-01-01_00-00-00.csv"},
  };
  for (const Case& c : cases) {
    std::tm t{};
    t.tm_year = c.yearsSince1900;
    t.tm_mon = c.month0;
    t.tm_mday = c.day;
    t.tm_hour = c.hour;
    t.tm_min = c.minute;
    t.tm_sec = c.second;
    EXPECT_EQ(logbook::LogFileName(t), c.expected);
  }
}

// Builds a line the way the window does: one piece per channel record, an
// optional temperature, ", " between pieces and CR LF after the last.
TEST(LogLine, PiecesJoinIntoOneLine) {
  struct Piece {
    const char* time;
    int channel;
    uint16_t sample;
    std::optional<uint8_t> temperature;
  };
  struct Case {
    std::vector<Piece> pieces;
    const char* expected;
  };
  const Case cases[] = {
      {{{"14:05:09", 1, 8190, {}}, {"14:05:09", 2, 8201, {}}, {"14:05:09", 3, 8196, {}}},
       "14:05:09, 1, 8190, , 14:05:09, 2, 8201, , 14:05:09, 3, 8196, \r\n"},
      {{{"14:05:09", 1, 8190, 25}, {"14:05:10", 2, 8201, 26}}, "14:05:09, 1, 8190, , 25, 14:05:10, 2, 8201, , 26\r\n"},
      {{{"T", 1, 0, 0}, {"T", 8, 65535, 255}}, "T, 1, 0, , 0, T, 8, 65535, , 255\r\n"},
  };
  for (const Case& c : cases) {
    std::string line;
    for (size_t i = 0; i < c.pieces.size(); ++i) {
      const Piece& p = c.pieces[i];
      logbook::AppendPiece(line, p.time, p.channel, p.sample);
      if (p.temperature) logbook::AppendTemperature(line, *p.temperature);
      if (i + 1 < c.pieces.size()) logbook::AppendSeparator(line);
    }
    logbook::AppendLineEnd(line);
    EXPECT_EQ(line, c.expected);
  }
}

// 2026-12-07 14:05:09 UTC. Tests run in the C locale, whose long time format is HH:MM:SS.
constexpr std::time_t kAfternoon = 1796652309;

TEST(TimeOfDayText, FollowsTheLocalClockSecondBySecond) {
  // Two hours east of UTC; no other test here depends on the time zone.
  testenv::SetVariable("TZ", "XYZ-2");
  testenv::ReloadTimeZone();
  std::time_t now = kAfternoon;
  logbook::TimeOfDayText text([&now] { return now; });
  // Going back in time must not keep a stale text either.
  const std::pair<int, const char*> steps[] = {
      {0, "16:05:09"}, {0, "16:05:09"}, {1, "16:05:10"}, {60, "16:06:10"}, {-61, "16:05:09"}};
  for (const auto& [step, expected] : steps) {
    now += step;
    EXPECT_EQ(text.Now(), expected) << "after a step of " << step << " s";
  }
}

}  // namespace
