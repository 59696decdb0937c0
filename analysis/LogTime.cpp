#include "analysis/LogTime.h"

#include <cstdio>

namespace analysis {

namespace {

/// Exactly `width` decimal digits at `at`; nothing otherwise.
std::optional<int32_t> Digits(std::string_view text, size_t at, size_t width) {
  if (at + width > text.size()) return std::nullopt;
  int32_t value = 0;
  for (size_t i = at; i < at + width; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

bool SameLetter(char c, char upper) { return c == upper || c == upper + ('a' - 'A'); }

int64_t FloorDivide(int64_t a, int64_t b) { return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0); }

}  // namespace

std::optional<int32_t> ParseTimeOfDay(std::string_view text) {
  const size_t hourWidth = (text.size() > 1 && text[1] == ':') ? 1 : 2;
  const auto hour = Digits(text, 0, hourWidth);
  if (!hour || text.size() < hourWidth + 6 || text[hourWidth] != ':' || text[hourWidth + 3] != ':') return std::nullopt;
  const auto minute = Digits(text, hourWidth + 1, 2);
  const auto second = Digits(text, hourWidth + 4, 2);
  if (!minute || !second || *minute > 59 || *second > 59) return std::nullopt;
  const std::string_view rest = text.substr(hourWidth + 6);
  int32_t h = *hour;
  if (rest.empty()) {
    if (h > 23) return std::nullopt;
  } else {
    if (rest.size() != 3 || rest[0] != ' ' || !SameLetter(rest[2], 'M')) return std::nullopt;
    const bool pm = SameLetter(rest[1], 'P');
    if ((!pm && !SameLetter(rest[1], 'A')) || h < 1 || h > 12) return std::nullopt;
    h = h % 12 + (pm ? 12 : 0);
  }
  return (h * 60 + *minute) * 60 + *second;
}

std::optional<LogStart> ParseLogFileName(std::string_view path) {
  const size_t slash = path.find_last_of("/\\");
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  constexpr std::string_view kPattern = "dddd-dd-dd_dd-dd-dd.csv";
  if (name.size() != kPattern.size()) return std::nullopt;
  for (size_t i = 0; i < name.size(); ++i) {
    if (kPattern[i] != 'd' && kPattern[i] != name[i]) return std::nullopt;
  }
  const auto year = Digits(name, 0, 4);
  const auto month = Digits(name, 5, 2);
  const auto day = Digits(name, 8, 2);
  const auto hour = Digits(name, 11, 2);
  const auto minute = Digits(name, 14, 2);
  const auto second = Digits(name, 17, 2);
  if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
  if (*month < 1 || *month > 12 || *day < 1 || *day > 31 || *hour > 23 || *minute > 59 || *second > 59)
    return std::nullopt;
  return LogStart{DaysFromCivil(*year, static_cast<unsigned>(*month), static_cast<unsigned>(*day)),
                  (*hour * 60 + *minute) * 60 + *second};
}

// The days-from-civil algorithm on 400-year eras, exact for every year in range.
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = FloorDivide(year, 400);
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

std::string CivilDateText(int64_t day) {
  day += 719468;
  const int64_t era = FloorDivide(day, 146097);
  const int64_t dayOfEra = day - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t mp = (5 * dayOfYear + 2) / 153;
  const int64_t d = dayOfYear - (153 * mp + 2) / 5 + 1;
  const int64_t m = mp < 10 ? mp + 3 : mp - 9;
  const int64_t y = yearOfEra + era * 400 + (m <= 2 ? 1 : 0);
  // Room for any 64-bit fields, so nothing is ever cut.
  char text[64];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld", static_cast<long long>(y), static_cast<long long>(m),
                static_cast<long long>(d));
  return text;
}

std::string TimeOfDayText(int64_t second) {
  const int64_t s = second - FloorDivide(second, kSecondsPerDay) * kSecondsPerDay;
  char text[64];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
  return text;
}

std::string LogFileNameAt(int64_t localSecond) {
  const int64_t day = FloorDivide(localSecond, kSecondsPerDay);
  std::string name = CivilDateText(day) + "_" + TimeOfDayText(localSecond) + ".csv";
  for (size_t i = 11; i < name.size(); ++i) {
    if (name[i] == ':') name[i] = '-';
  }
  return name;
}

}  // namespace analysis
