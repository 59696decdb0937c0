#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "logging/LogNotices.h"

namespace {

TEST(LogNotices, GroupsDigitsInThrees) {
  const std::pair<uint64_t, const char*> cases[] = {
      {0, "0"}, {999, "999"}, {1000, "1,000"}, {1234567, "1,234,567"}, {UINT64_MAX, "18,446,744,073,709,551,615"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(logbook::GroupDigits(value), text) << value;
}

TEST(LogNotices, TimeLeftCountsWholeSecondsRoundedUp) {
  const std::pair<int64_t, const char*> cases[] = {
      {std::numeric_limits<int64_t>::min(), "0:00"},
      {0, "0:00"},
      {1, "0:01"},
      {1000, "0:01"},
      {1001, "0:02"},
      {119001, "2:00"},
      {3599000, "59:59"},
      {3600000, "1:00:00"},
      {39600000, "11:00:00"},
      {std::numeric_limits<int64_t>::max(), "2562047788015:12:56"},
  };
  for (const auto& [ms, text] : cases) EXPECT_EQ(logbook::TimeLeftText(ms), text) << ms;
}

TEST(LogNotices, StoppedLogNamesFileLinesAndReason) {
  EXPECT_EQ(logbook::LogStoppedText("2026-12-07_10-00-00.csv", 1234, "no space left on device"),
            "2026-12-07_10-00-00.csv stopped after 1,234 lines: no space left on device");
  EXPECT_EQ(logbook::LogStoppedText("a.csv", 1, "input/output error"),
            "a.csv stopped after 1 line: input/output error");
  EXPECT_EQ(logbook::LogRunningText("a.csv", 120000), "Logging to a.csv, 2:00 left");
}

}  // namespace
