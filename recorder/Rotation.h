#pragma once

#include <chrono>
#include <ctime>

namespace rec {

/// The first rotation boundary after `now` for files `period` long, on the
/// local wall clock, so that a new file starts at the same times every day:
/// - a period of up to a day: the times of day that are whole multiples of
///   the period counted from midnight, and every midnight (--rotate 1h: on
///   the hour; 7m: 00:00, 00:07, ... 23:55, then midnight again);
/// - a longer period, which must be whole days: the midnights of the days
///   whose number since 1970-01-01 is a multiple of the period's days.
/// Time zone and daylight saving time are the system's: a boundary the clock
/// skips falls at the time the clock moves on to, and wall-clock times that
/// repeat after the clock was set back are not boundaries again. Always later
/// than `now`; `now` + `period` when the local time cannot be told.
std::time_t NextBoundary(std::time_t now, std::chrono::seconds period);

}  // namespace rec
