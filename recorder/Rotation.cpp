#include "recorder/Rotation.h"

#include "logging/LogFilePlatform.h"

namespace rec {

namespace {

constexpr long long kSecondsPerDay = 86400;

/// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
long long DaysFromCivil(long long year, long long month, long long day) {
  year -= month <= 2 ? 1 : 0;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const long long yearOfEra = year - era * 400;
  const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

/// The date `days` after 1970-01-01, at `secondOfDay` (0..86399), as calendar fields.
std::tm WallTime(long long days, long long secondOfDay) {
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const long long dayOfEra = days - era * 146097;
  const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long long monthIndex = (5 * dayOfYear + 2) / 153;
  const long long month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
  std::tm wall{};
  wall.tm_year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0) - 1900);
  wall.tm_mon = static_cast<int>(month - 1);
  wall.tm_mday = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  wall.tm_hour = static_cast<int>(secondOfDay / 3600);
  wall.tm_min = static_cast<int>(secondOfDay / 60 % 60);
  wall.tm_sec = static_cast<int>(secondOfDay % 60);
  return wall;
}

/// The instant at which the local clock reads `wall`, taken as standard or
/// daylight saving time as `isdst` says; -1 when there is none.
std::time_t Place(std::tm wall, int isdst) {
  wall.tm_isdst = isdst;
  return std::mktime(&wall);
}

bool ShowsAs(std::time_t t, const std::tm& wall) {
  std::tm local{};
  return t != static_cast<std::time_t>(-1) && logbook::LocalCalendarTime(t, local) && local.tm_year == wall.tm_year &&
         local.tm_mon == wall.tm_mon && local.tm_mday == wall.tm_mday && local.tm_hour == wall.tm_hour &&
         local.tm_min == wall.tm_min && local.tm_sec == wall.tm_sec;
}

}  // namespace

std::time_t NextBoundary(std::time_t now, std::chrono::seconds period) {
  const long long seconds = period.count() > 0 ? period.count() : 1;
  const std::time_t fallback = now + static_cast<std::time_t>(seconds);
  std::tm local{};
  if (!logbook::LocalCalendarTime(now, local)) return fallback;
  const long long today = DaysFromCivil(local.tm_year + 1900LL, local.tm_mon + 1LL, local.tm_mday);
  long long day = today + 1;
  long long secondOfDay = 0;
  if (seconds <= kSecondsPerDay) {
    const long long sinceMidnight = local.tm_hour * 3600LL + local.tm_min * 60LL + local.tm_sec;
    const long long next = (sinceMidnight / seconds + 1) * seconds;
    if (next < kSecondsPerDay) {
      day = today;
      secondOfDay = next;
    }
  } else {
    const long long days = seconds / kSecondsPerDay;
    day = today + days - ((today % days) + days) % days;
  }
  const std::tm wall = WallTime(day, secondOfDay);
  // Taken first with the offset in force now, then with the other one: the
  // right one is the instant at which the clock does read that time. After
  // the clock was set back an hour, that is the later reading, so the hour
  // that repeats is no boundary again.
  const std::time_t asNow = Place(wall, local.tm_isdst);
  if (asNow > now && ShowsAs(asNow, wall)) return asNow;
  if (local.tm_isdst >= 0) {
    const std::time_t asOther = Place(wall, local.tm_isdst > 0 ? 0 : 1);
    if (asOther > now && ShowsAs(asOther, wall)) return asOther;
  }
  // A time the clock skips: the instant it moves on to.
  return asNow != static_cast<std::time_t>(-1) && asNow > now ? asNow : fallback;
}

}  // namespace rec
