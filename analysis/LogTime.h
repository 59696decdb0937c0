#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The times a log carries: the date and start time in its file name
// ("yyyy-mm-dd_hh-nn-ss.csv") and each line's local time of day, to the second.
namespace analysis {

constexpr int32_t kSecondsPerDay = 86400;

/// A local calendar date and time of day, as the log's file name gives it.
struct LogStart {
  /// Days since 1970-01-01 of the date (negative before it).
  int64_t day = 0;
  /// Seconds since midnight, 0..86399.
  int32_t secondOfDay = 0;
};

/// The seconds since midnight of a line's time text: "H:MM:SS" or
/// "HH:MM:SS" (24-hour) or the same with " AM"/" PM" (12-hour, hours 1..12,
/// either case). Nothing for any other text.
std::optional<int32_t> ParseTimeOfDay(std::string_view text);

/// The date and time in a log file name "yyyy-mm-dd_hh-nn-ss.csv"; any
/// folder before it is ignored. Nothing when the name is not of that form or
/// its fields are out of range.
std::optional<LogStart> ParseLogFileName(std::string_view path);

/// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12, day 1..31).
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day);

/// The date "yyyy-mm-dd" of a day counted from 1970-01-01 (within a
/// billion days either side).
std::string CivilDateText(int64_t day);

/// "hh:mm:ss" of a time of day in seconds (wrapped into 0..86399).
std::string TimeOfDayText(int64_t second);

/// The file name "yyyy-mm-dd_hh-nn-ss.csv" of a log starting at the given local second
/// (days since 1970-01-01 times 86400 plus the time of day).
std::string LogFileNameAt(int64_t localSecond);

}  // namespace analysis
