#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <limits>

#include "logging/CsvLog.h"

namespace {

std::tm MakeTm(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

TEST(LogFileName, FormatsEveryFieldZeroPadded) {
  struct Case {
    std::tm time;
    const char* expected;
  };
  const Case cases[] = {
      {MakeTm(2026, 12, 7, 0, 38, 23), "2026-12-07_00-38-23.csv"},
      {MakeTm(2026, 1, 2, 3, 4, 5), "2026-01-02_03-04-05.csv"},
      {MakeTm(2025, 12, 31, 23, 59, 59), "2025-12-31_23-59-59.csv"},
      {MakeTm(2026, 6, 15, 0, 0, 0), "2026-06-15_00-00-00.csv"},
      {MakeTm(999, 3, 4, 5, 6, 7), "0999-03-04_05-06-07.csv"},
      {MakeTm(12345, 3, 4, 5, 6, 7), "12345-03-04_05-06-07.csv"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(logbook::LogFileName(c.time), c.expected);
  }
}

TEST(LogFileName, ExtremeYearDoesNotOverflow) {
  std::tm t = MakeTm(2026, 1, 1, 0, 0, 0);
  t.tm_year = std::numeric_limits<int>::max();
  EXPECT_EQ(logbook::LogFileName(t), "2147485547-01-01_00-00-00.csv");
}

TEST(LogLine, ThreeChannelsWithoutTemperaturesEndWithEmptyField) {
  std::string line;
  const uint16_t samples[] = {8190, 8201, 8196};
  for (int k = 1; k <= 3; ++k) {
    logbook::AppendPiece(line, "14:05:09", k, samples[k - 1]);
    if (k < 3) {
      logbook::AppendSeparator(line);
    }
  }
  logbook::AppendLineEnd(line);
  EXPECT_EQ(line, "14:05:09, 1, 8190, , 14:05:09, 2, 8201, , 14:05:09, 3, 8196, \r\n");
}

TEST(LogLine, TwoChannelsWithTemperatures) {
  std::string line;
  logbook::AppendPiece(line, "14:05:09", 1, 8190);
  logbook::AppendTemperature(line, 25);
  logbook::AppendSeparator(line);
  logbook::AppendPiece(line, "14:05:10", 2, 8201);
  logbook::AppendTemperature(line, 26);
  logbook::AppendLineEnd(line);
  EXPECT_EQ(line, "14:05:09, 1, 8190, , 25, 14:05:10, 2, 8201, , 26\r\n");
}

TEST(LogLine, ValuesAtTheirLimitsAreUnsignedDecimal) {
  struct Case {
    uint16_t sample;
    uint8_t temperature;
    const char* expected;
  };
  const Case cases[] = {
      {0, 0, "T, 8, 0, , 0"},
      {65535, 255, "T, 8, 65535, , 255"},
      {32768, 128, "T, 8, 32768, , 128"},
  };
  for (const Case& c : cases) {
    std::string line;
    logbook::AppendPiece(line, "T", 8, c.sample);
    logbook::AppendTemperature(line, c.temperature);
    EXPECT_EQ(line, c.expected);
  }
}

class TimeOfDayTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tz = std::getenv("TZ");
    m_hadTz = tz != nullptr;
    if (m_hadTz) {
      m_oldTz = tz;
    }
    setenv("TZ", "UTC0", 1);
    tzset();
    std::setlocale(LC_TIME, "C");
  }
  void TearDown() override {
    if (m_hadTz) {
      setenv("TZ", m_oldTz.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  bool m_hadTz = false;
  std::string m_oldTz;
};

// 2026-12-07 14:05:09 UTC
constexpr std::time_t kAfternoon = 1796652309;

TEST_F(TimeOfDayTextTest, FormatsTwentyFourHourTimeInCLocale) {
  logbook::TimeOfDayText text;
  EXPECT_EQ(text.Text(kAfternoon), "14:05:09");
  EXPECT_EQ(text.Text(kAfternoon - 14 * 3600 - 5 * 60 - 9), "00:00:00");
}

TEST_F(TimeOfDayTextTest, CacheSwitchesAtSecondBoundary) {
  std::time_t now = kAfternoon;
  logbook::TimeOfDayText text([&now] { return now; });
  EXPECT_EQ(text.Now(), "14:05:09");
  EXPECT_EQ(text.Now(), "14:05:09");
  now += 1;
  EXPECT_EQ(text.Now(), "14:05:10");
  now += 60;
  EXPECT_EQ(text.Now(), "14:06:10");
  now -= 61;
  EXPECT_EQ(text.Now(), "14:05:09") << "going back in time must not keep a stale text";
}

TEST_F(TimeOfDayTextTest, FollowsTheTimeZone) {
  setenv("TZ", "XYZ-2", 1);
  tzset();
  logbook::TimeOfDayText text;
  EXPECT_EQ(text.Text(kAfternoon), "16:05:09");
}

}  // namespace
